// GB2312 to Unicode through the C library's iconv.

#include "gb2312_cells.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace corvane::mkfont {

namespace {

constexpr int kRowLength = 94;
constexpr int kSymbolRows = 9;  // first bytes 0xA1-0xA9; 0xAA-0xAF are not stored

// iconv's table maps these cells to code points that neither font draws; these are the
// characters the cells show in print.
struct Override {
    uint16_t gb;
    char32_t codePoint;
};
constexpr Override kOverrides[] = {
    {0xA1A4, U'\u00B7'},  // middle dot (iconv: katakana middle dot U+30FB)
    {0xA1AA, U'\u2014'},  // em dash (iconv: horizontal bar U+2015)
};

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

char32_t convertCell(const Converter& converter, uint8_t first, uint8_t second) {
    char in[2] = {static_cast<char>(first), static_cast<char>(second)};
    unsigned char out[8] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof out;
    iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);  // reset shift state
    if (iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return 0;
    if (inLeft != 0 || sizeof out - outLeft != 4) return 0;  // not exactly one character
    return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}

}  // namespace

uint8_t hanziFirstByte(int index) {
    const int row = index / kRowLength;
    return static_cast<uint8_t>(row < kSymbolRows ? 0xA1 + row : 0xB0 + row - kSymbolRows);
}

uint8_t hanziSecondByte(int index) {
    return static_cast<uint8_t>(0xA1 + index % kRowLength);
}

int hanziIndex(uint8_t first, uint8_t second) {
    if (second < 0xA1 || second > 0xFE) return -1;
    int row;
    if (first >= 0xA1 && first <= 0xA9)
        row = first - 0xA1;
    else if (first >= 0xB0 && first <= 0xF7)
        row = first - 0xB0 + kSymbolRows;
    else
        return -1;
    return row * kRowLength + (second - 0xA1);
}

bool hanziCodePoints(std::vector<char32_t>& codePoints, std::string& error) {
    Converter converter("UTF-32LE", "GB2312");
    if (!converter.ok()) {
        error = "iconv has no GB2312 converter";
        return false;
    }
    codePoints.assign(kHanziCells, 0);
    for (int i = 0; i < kHanziCells; ++i)
        codePoints[i] = convertCell(converter, hanziFirstByte(i), hanziSecondByte(i));
    for (const Override& o : kOverrides) {
        const int index = hanziIndex(static_cast<uint8_t>(o.gb >> 8), static_cast<uint8_t>(o.gb));
        if (index >= 0) codePoints[index] = o.codePoint;
    }
    return true;
}

std::string utf8ToGb2312(const std::string& text) {
    Converter converter("GB2312", "UTF-8");
    if (!converter.ok()) return text;
    // The characters of the override table go to their cells, which iconv knows by other names.
    std::string in = text;
    const std::pair<const char*, const char*> renames[] = {{"\u00B7", "\u30FB"},
                                                           {"\u2014", "\u2015"}};
    for (const auto& [from, to] : renames)
        for (size_t at = in.find(from); at != std::string::npos;
             at = in.find(from, at + std::strlen(to)))
            in.replace(at, std::strlen(from), to);
    std::string out;
    char* inPtr = in.data();
    size_t inLeft = in.size();
    while (inLeft > 0) {
        char buffer[256];
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An unknown or broken character: replace it and skip its UTF-8 bytes.
        out.push_back('?');
        do {
            ++inPtr;
            --inLeft;
        } while (inLeft > 0 && (static_cast<unsigned char>(*inPtr) & 0xC0) == 0x80);
    }
    return out;
}

}  // namespace corvane::mkfont
