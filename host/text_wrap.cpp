#include "host/text_wrap.h"

#include <algorithm>

namespace corvane {

namespace {

// One UTF-8 character at `at`: its code point and its length (a broken byte counts as one).
char32_t decodeAt(std::string_view s, size_t at, size_t& length) {
    const auto b = uint8_t(s[at]);
    length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    if (at + length > s.size()) length = 1;
    if (length == 1) return b;
    char32_t c = b & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) c = (c << 6) | (uint8_t(s[at + i]) & 0x3F);
    return c;
}

int lineColumns(std::string_view s) {
    int columns = 0;
    for (size_t at = 0, length = 0; at < s.size(); at += length)
        columns += displayColumns(decodeAt(s, at, length));
    return columns;
}

void trimEnd(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

// One line (no line end) broken to `columns`, appended to `out`.
void wrapLine(std::string_view text, int columns, std::string& out) {
    std::string line;
    int width = 0;
    size_t breakAt = std::string::npos;  // where `line` may be broken
    bool afterWideOrSeparator = false;
    bool wrapped = false;  // a break was made: the next line starts here
    for (size_t at = 0, length = 0; at < text.size(); at += length) {
        const char32_t c = decodeAt(text, at, length);
        const int w = displayColumns(c);
        // Spaces where a line was broken are dropped.
        if (c == ' ' && wrapped && line.empty()) continue;
        const bool breaksBefore = c == ' ' || w == 2 || afterWideOrSeparator;
        if (width > 0 && width + w > columns) {
            std::string rest;
            if (breaksBefore) {
                // Right here, before this character.
            } else if (breakAt != std::string::npos && breakAt > 0) {
                rest = line.substr(breakAt);
                line.resize(breakAt);
                rest.erase(0, rest.find_first_not_of(' ') == std::string::npos
                                  ? rest.size()
                                  : rest.find_first_not_of(' '));
            }
            trimEnd(line);
            out += line + "\n";
            line = rest;
            width = lineColumns(line);
            breakAt = std::string::npos;
            wrapped = true;
            if (c == ' ' && line.empty()) continue;
        }
        if (breaksBefore) breakAt = line.size();
        afterWideOrSeparator = w == 2 || c == '/' || c == '\\';
        line.append(text.substr(at, length));
        width += w;
    }
    out += line;
}

}  // namespace

int displayColumns(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

std::string wrapText(std::string_view utf8, int columns) {
    columns = std::max(columns, 2);
    std::string out;
    size_t start = 0;
    while (true) {
        const size_t end = utf8.find('\n', start);
        wrapLine(utf8.substr(start, end == std::string_view::npos ? end : end - start), columns,
                 out);
        if (end == std::string_view::npos) break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

int messageColumns(int widthPx) {
    return std::max(30, (widthPx - 60) / 7);
}

}  // namespace corvane
