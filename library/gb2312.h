#pragma once
// Conversion between GB2312 byte strings (the code page of programs and of the handheld's
// texts) and UTF-8 (host file names, texts stored in our sources). ASCII passes through both
// ways; a byte or character with no counterpart makes the whole conversion fail.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// Unicode code point of a two-byte GB2312 code (lead << 8 | trail), or 0 when there is none.
char32_t gb2312ToUnicode(uint16_t code);

// Two-byte GB2312 code (lead << 8 | trail) of a code point above 0x7F, or 0 when there is none.
uint16_t unicodeToGb2312(char32_t point);

// Replaces `out` with the conversion of `in`. On failure returns false and `out` holds the
// part converted so far.
bool gb2312ToUtf8(std::string_view in, std::string& out);
bool utf8ToGb2312(std::string_view in, std::string& out);

}  // namespace corvane
