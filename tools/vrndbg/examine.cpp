#include "tools/vrndbg/examine.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace corvane {
namespace {

constexpr uint32_t kMaxString = 200;  // x/s shows at most this many bytes of one string

uint32_t itemsPerLine(const ExamineFormat& f) {
    if (f.format == 'c') return 8;
    if (f.format == 't') return f.unit == 1 ? 8 : f.unit == 2 ? 4 : 2;
    return f.unit == 4 ? 4 : 8;
}

std::string item(uint32_t v, const ExamineFormat& f) {
    const int bits = f.unit * 8;
    char buf[48];
    switch (f.format) {
        case 'x':
            std::snprintf(buf, sizeof buf, "0x%0*X", f.unit * 2, v);
            return buf;
        case 'u':
            return std::to_string(v);
        case 'o':
            std::snprintf(buf, sizeof buf, "0%o", v);
            return v == 0 ? "0" : buf;
        case 't': {
            std::string s;
            for (int i = bits - 1; i >= 0; --i) s += (v >> i & 1) ? '1' : '0';
            return s;
        }
        case 'c': {
            const int n = int(int8_t(uint8_t(v)));
            return std::to_string(n) + " '" + quotedChar(uint8_t(v), '\'') + "'";
        }
        default: {  // 'd'
            const int64_t n = bits == 32   ? int64_t(int32_t(v))
                              : bits == 16 ? int64_t(int16_t(uint16_t(v)))
                                           : int64_t(int8_t(uint8_t(v)));
            return std::to_string(n);
        }
    }
}

std::string address(uint32_t a) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X:", a);
    return buf;
}

}  // namespace

std::string quotedChar(uint8_t c, char quote) {
    if (c == 0) return "\\0";
    if (c == '\n') return "\\n";
    if (c == '\t') return "\\t";
    if (c == '\\' || c == uint8_t(quote)) return std::string("\\") + char(c);
    if (c >= 0x20 && c < 0x7F) return std::string(1, char(c));
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\%03o", c);
    return buf;
}

bool parseExamineFormat(const std::string& formatText, ExamineFormat& f, std::string& error) {
    ExamineFormat out = f;
    size_t i = 0;
    if (i < formatText.size() && formatText[i] == '/') ++i;
    if (i < formatText.size() && std::isdigit(static_cast<unsigned char>(formatText[i]))) {
        long n = 0;
        while (i < formatText.size() && std::isdigit(static_cast<unsigned char>(formatText[i])) &&
               n <= 65536)
            n = n * 10 + (formatText[i++] - '0');
        if (n < 1 || n > 65536) {
            error = "the count is 1 to 65536";
            return false;
        }
        out.count = int(n);
    }
    bool unitGiven = false;
    for (; i < formatText.size(); ++i) {
        const char c = formatText[i];
        if (std::strchr("xduotcsi", c)) {
            out.format = c;
        } else if (c == 'b' || c == 'h' || c == 'w') {
            out.unit = c == 'b' ? 1 : c == 'h' ? 2 : 4;
            unitGiven = true;
        } else {
            error =
                std::string("unknown letter '") + c + "' (formats x d u o t c s i, units b h w)";
            return false;
        }
    }
    // Characters and strings are bytes whatever the last unit was.
    if ((out.format == 'c' || out.format == 's') && !unitGiven) out.unit = 1;
    f = out;
    return true;
}

uint32_t examineBytes(const ExamineFormat& f) {
    if (f.format == 's') return uint32_t(f.count) * kMaxString;
    return uint32_t(f.count) * uint32_t(f.unit);
}

std::string examineLines(uint32_t at, const std::vector<uint8_t>& bytes, const ExamineFormat& f,
                         uint32_t& next) {
    std::string out;
    size_t pos = 0;
    if (f.format == 's') {
        for (int n = 0; n < f.count && pos < bytes.size(); ++n) {
            std::string text = "\"";
            size_t len = 0;
            while (pos + len < bytes.size() && bytes[pos + len] != 0 && len < kMaxString)
                text += quotedChar(bytes[pos + len++], '"');
            text += len == kMaxString ? "\"..." : "\"";
            out += address(at + uint32_t(pos)) + "\t" + text + "\n";
            pos += len + (pos + len < bytes.size() && bytes[pos + len] == 0 ? 1 : 0);
        }
        next = at + uint32_t(pos);
        return out;
    }
    const uint32_t perLine = itemsPerLine(f);
    for (int n = 0; n < f.count && pos + size_t(f.unit) <= bytes.size(); ++n) {
        if (uint32_t(n) % perLine == 0) {
            if (n != 0) out += "\n";
            out += address(at + uint32_t(pos));
        }
        uint32_t v = 0;
        for (int k = 0; k < f.unit; ++k) v |= uint32_t(bytes[pos + size_t(k)]) << (8 * k);
        out += "\t" + item(v, f);
        pos += size_t(f.unit);
    }
    if (!out.empty()) out += "\n";
    next = at + uint32_t(pos);
    return out;
}

}  // namespace corvane
