#pragma once
// Program strings are GB2312 byte strings; sources and listings are UTF-8. These helpers convert
// between the two and write byte strings back as literals the assembler reads exactly.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::asmtext {

// Converts UTF-8 text to GB2312 bytes (ASCII passes through unchanged). On failure returns
// nullopt and sets badOffset to the byte offset of the first character that cannot be converted.
std::optional<std::string> utf8ToGb2312(std::string_view utf8, size_t& badOffset);

// The UTF-8 form of one two-byte GB2312 character, when the pair is a character of the set and
// converts back to the same two bytes.
std::optional<std::string> gb2312PairToUtf8(unsigned char first, unsigned char second);

// A double-quoted literal that the assembler reads back as exactly `bytes`: printable ASCII as
// itself, GB2312 characters as UTF-8, the usual escapes, anything else as \xNN.
std::string quoteBytes(std::string_view bytes);

// True when `bytes` reads better as a quoted string than as numbers (mostly printable).
bool looksLikeText(std::string_view bytes);

}  // namespace corvane::asmtext
