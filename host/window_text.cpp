// Text and boxes painted into the window image.

#include "host/window_text.h"

#include <algorithm>

#include "display/fonts.h"
#include "display/text.h"
#include "library/gb2312.h"

namespace corvane {

namespace {

constexpr int kGlyphHeight = 12;

bool isDoubleByte(uint8_t lead) {
    return lead >= 0x80;
}

// One glyph of `width` pixels; each row is `bytesPerRow` bytes, its leftmost pixel in the top bit.
void drawGlyph(RgbImage& image, int x, int y, const uint8_t* rows, int bytesPerRow, int width,
               Rgb colour) {
    for (int r = 0; r < kGlyphHeight; ++r) {
        uint16_t bits = uint16_t(rows[r * bytesPerRow] << 8);
        if (bytesPerRow == 2) bits |= rows[r * bytesPerRow + 1];
        for (int i = 0; i < width; ++i)
            if (bits & (0x8000 >> i)) setPixel(image, x + i, y + r, colour);
    }
}

}  // namespace

void setPixel(RgbImage& image, int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    uint8_t* p = image.at(x, y);
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
}

void fillRect(RgbImage& image, int left, int top, int width, int height, Rgb colour) {
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) setPixel(image, x, y, colour);
}

void frameRect(RgbImage& image, int left, int top, int width, int height, Rgb colour) {
    fillRect(image, left, top, width, 1, colour);
    fillRect(image, left, top + height - 1, width, 1, colour);
    fillRect(image, left, top, 1, height, colour);
    fillRect(image, left + width - 1, top, 1, height, colour);
}

std::string gbDisplayText(std::string_view utf8) {
    std::string gb, one;
    for (size_t at = 0; at < utf8.size();) {
        // The sequence's length by its lead byte; the converter judges the rest.
        const uint8_t lead = uint8_t(utf8[at]);
        size_t len = 1;
        if (lead >= 0xF0)
            len = 4;
        else if (lead >= 0xE0)
            len = 3;
        else if (lead >= 0xC0)
            len = 2;
        len = std::min(len, utf8.size() - at);
        gb += utf8ToGb2312(utf8.substr(at, len), one) ? one : std::string("?");
        at += len;
    }
    return gb;
}

int gbTextWidth(std::string_view gb) {
    int width = 0;
    for (size_t i = 0; i < gb.size(); ++i) {
        if (isDoubleByte(uint8_t(gb[i]))) {
            width += 12;
            ++i;
        } else {
            width += 6;
        }
    }
    return width;
}

std::string fitGbText(std::string gb, int maxWidth, bool keepEnd) {
    while (gbTextWidth(gb) > maxWidth && !gb.empty()) {
        if (keepEnd) {
            gb.erase(0, isDoubleByte(uint8_t(gb[0])) && gb.size() > 1 ? 2 : 1);
        } else {
            size_t last = gb.size() - 1;
            if (last > 0 && isDoubleByte(uint8_t(gb[last - 1])) && isDoubleByte(uint8_t(gb[last])))
                --last;
            gb.erase(last);
        }
    }
    return gb;
}

void drawGbText(RgbImage& image, int x, int y, std::string_view gb, const FontTables& fonts,
                Rgb colour) {
    for (size_t i = 0; i < gb.size(); ++i) {
        const uint8_t first = uint8_t(gb[i]);
        if (!isDoubleByte(first)) {
            drawGlyph(image, x, y, &fonts.smallAscii[size_t(first) * 12], 1, 6, colour);
            x += 6;
            continue;
        }
        const uint8_t second = i + 1 < gb.size() ? uint8_t(gb[++i]) : 0;
        const int32_t index = hanziIndex(first, second);
        if (index >= 0 && index < int32_t(kHanziGlyphs))
            drawGlyph(image, x, y, &fonts.smallHanzi[size_t(index) * 24], 2, 12, colour);
        x += 12;
    }
}

}  // namespace corvane
