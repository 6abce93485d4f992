#pragma once
// The cells of the double-byte glyph tables: GB2312 rows 0xA1-0xA9 then 0xB0-0xF7, 94 a row.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::mkfont {

constexpr int kHanziCells = 81 * 94;

// GB2312 bytes of glyph `index` (0 .. kHanziCells - 1).
uint8_t hanziFirstByte(int index);
uint8_t hanziSecondByte(int index);

// Glyph index of a GB2312 character, or -1 when the bytes name no cell of the tables.
int hanziIndex(uint8_t first, uint8_t second);

// The Unicode character of every cell (0 where GB2312 defines none), converted with iconv and
// corrected where iconv picks a code point that bitmap fonts do not draw. False with `error`
// when iconv has no GB2312 converter.
bool hanziCodePoints(std::vector<char32_t>& codePoints, std::string& error);

// UTF-8 text to GB2312 bytes; characters GB2312 lacks become '?'.
std::string utf8ToGb2312(const std::string& text);

}  // namespace corvane::mkfont
