#pragma once
// Texts between the host (UTF-8) and the wide Windows functions (UTF-16). Going through UTF-16
// makes every text show the same on any system code page; what the host holds as UTF-8 was
// converted from the programs' GB2312 bytes already, so a Chinese system shows exactly what the
// ANSI functions would.

#include <string>
#include <string_view>

namespace corvane {

// UTF-16 of UTF-8 text; bytes that are not UTF-8 become U+FFFD.
std::wstring widen(std::string_view utf8);
// UTF-8 of UTF-16 text; unpaired surrogates become U+FFFD.
std::string narrow(std::wstring_view utf16);

}  // namespace corvane
