#include "library/gb2312.h"

#include <algorithm>

#include "library/gb2312_table.h"

namespace corvane {

namespace {

constexpr uint8_t kFirstCell = 0xA1;
constexpr uint8_t kLastCell = 0xFE;

bool isCell(uint8_t byte) {
    return byte >= kFirstCell && byte <= kLastCell;
}

void appendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += char(point);
    } else if (point < 0x800) {
        out += char(0xC0 | (point >> 6));
        out += char(0x80 | (point & 0x3F));
    } else {
        // The table holds only code points of the basic plane.
        out += char(0xE0 | (point >> 12));
        out += char(0x80 | ((point >> 6) & 0x3F));
        out += char(0x80 | (point & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `pos` and advances past it. Rejects truncated and overlong
// sequences, surrogates and values beyond U+10FFFF, so that every accepted name has exactly
// one spelling.
bool decodeUtf8(std::string_view in, size_t& pos, char32_t& point) {
    const uint8_t lead = uint8_t(in[pos]);
    int extra;
    char32_t minimum;
    if (lead < 0x80) {
        point = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        minimum = 0x80;
        point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        minimum = 0x800;
        point = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        minimum = 0x10000;
        point = lead & 0x07;
    } else {
        return false;
    }
    if (in.size() - pos <= size_t(extra)) return false;
    for (int i = 1; i <= extra; ++i) {
        const uint8_t next = uint8_t(in[pos + i]);
        if ((next & 0xC0) != 0x80) return false;
        point = (point << 6) | (next & 0x3F);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
    pos += extra + 1;
    return true;
}

}  // namespace

char32_t gb2312ToUnicode(uint16_t code) {
    const uint8_t lead = code >> 8;
    const uint8_t trail = code & 0xFF;
    if (!isCell(lead) || !isCell(trail)) return 0;
    return kGb2312ToUnicode[(lead - kFirstCell) * kGb2312Cells + (trail - kFirstCell)];
}

uint16_t unicodeToGb2312(char32_t point) {
    if (point < 0x80 || point > 0xFFFF) return 0;
    const Gb2312Pair* begin = kUnicodeToGb2312;
    const Gb2312Pair* end = kUnicodeToGb2312 + kUnicodeToGb2312Size;
    const Gb2312Pair* found = std::lower_bound(
        begin, end, point, [](const Gb2312Pair& p, char32_t v) { return p.unicode < v; });
    return found != end && found->unicode == point ? found->code : 0;
}

bool gb2312ToUtf8(std::string_view in, std::string& out) {
    out.clear();
    out.reserve(in.size() * 3 / 2);
    for (size_t pos = 0; pos < in.size();) {
        const uint8_t lead = uint8_t(in[pos]);
        if (lead < 0x80) {
            out += char(lead);
            ++pos;
            continue;
        }
        if (pos + 1 >= in.size()) return false;
        const char32_t point = gb2312ToUnicode(uint16_t(lead << 8 | uint8_t(in[pos + 1])));
        if (point == 0) return false;
        appendUtf8(out, point);
        pos += 2;
    }
    return true;
}

bool utf8ToGb2312(std::string_view in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    for (size_t pos = 0; pos < in.size();) {
        char32_t point;
        if (!decodeUtf8(in, pos, point)) return false;
        if (point < 0x80) {
            out += char(point);
            continue;
        }
        const uint16_t code = unicodeToGb2312(point);
        if (code == 0) return false;
        out += char(code >> 8);
        out += char(code & 0xFF);
    }
    return true;
}

}  // namespace corvane
