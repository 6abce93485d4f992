#include "shared/asmtext/text_encoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include "library/gb2312.h"
#else
#include <iconv.h>
#endif

namespace corvane::asmtext {
namespace {

#if defined(_WIN32)
// Windows has no iconv: the machine's own GB2312 table converts both ways.
std::optional<std::string> convert(const char* to, const char* from, std::string_view in) {
    std::string out;
    const bool toGb = std::strcmp(to, "GB2312") == 0;
    const bool ok = toGb ? corvane::utf8ToGb2312(in, out) : corvane::gb2312ToUtf8(in, out);
    if (!ok || std::strcmp(toGb ? from : to, "UTF-8") != 0) return std::nullopt;
    return out;
}
#else
// One iconv conversion of a short piece of text; nullopt when any byte cannot be converted.
std::optional<std::string> convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 4 + 8, '\0');
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    bool ok = rc != size_t(-1) && inLeft == 0;
    if (ok) ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != size_t(-1);
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}
#endif

// Length of the UTF-8 sequence that starts with `lead`, 0 when it is no valid lead byte.
size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

}  // namespace

std::optional<std::string> utf8ToGb2312(std::string_view utf8, size_t& badOffset) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(char(c));
            ++i;
            continue;
        }
        // Converted one character at a time so that a failure points at its character.
        size_t n = utf8Length(c);
        std::optional<std::string> gb;
        if (n != 0 && i + n <= utf8.size()) gb = convert("GB2312", "UTF-8", utf8.substr(i, n));
        if (!gb) {
            badOffset = i;
            return std::nullopt;
        }
        out += *gb;
        i += n;
    }
    return out;
}

std::optional<std::string> gb2312PairToUtf8(unsigned char first, unsigned char second) {
    if (first < 0xA1 || first > 0xFE || second < 0xA1 || second > 0xFE) return std::nullopt;
    const char pair[2] = {char(first), char(second)};
    auto utf8 = convert("UTF-8", "GB2312", std::string_view(pair, 2));
    if (!utf8) return std::nullopt;
    size_t bad = 0;
    auto back = utf8ToGb2312(*utf8, bad);
    if (!back || *back != std::string_view(pair, 2)) return std::nullopt;
    return utf8;
}

std::string quoteBytes(std::string_view bytes) {
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        switch (c) {
            case '\n':
                out += "\\n";
                continue;
            case '\t':
                out += "\\t";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case 0:
                out += "\\0";
                continue;
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            default:
                break;
        }
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(char(c));
            continue;
        }
        if (c >= 0xA1 && i + 1 < bytes.size()) {
            if (auto utf8 = gb2312PairToUtf8(c, static_cast<unsigned char>(bytes[i + 1]))) {
                out += *utf8;
                ++i;
                continue;
            }
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += hex;
    }
    out += '"';
    return out;
}

bool looksLikeText(std::string_view bytes) {
    if (bytes.size() < 3) return false;
    size_t plain = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if ((c >= 0x20 && c < 0x7F) || c == '\n' || c == '\t') {
            ++plain;
        } else if (c >= 0xA1 && i + 1 < bytes.size() &&
                   gb2312PairToUtf8(c, static_cast<unsigned char>(bytes[i + 1]))) {
            plain += 2;
            ++i;
        }
    }
    return plain * 4 >= bytes.size() * 3;
}

}  // namespace corvane::asmtext
