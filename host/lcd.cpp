// LCD presentation: screen memory -> display bitmap -> window pixels, a screen row at a time.

#include "host/lcd.h"

#include <cstring>

#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {

namespace {

constexpr int kStagingLcdColumn = 16;  // staging column of LCD pixel column 0

constexpr Palette makePalette(PaletteEntry background) {
    Palette p{};
    p[0] = background;
    p[1] = {0, 0, 0};
    p[2] = {0, 255, 0};
    return p;
}

}  // namespace

const Palette kGreenPalette = makePalette({0, 192, 0});
const Palette kBlackWhitePalette = makePalette({255, 255, 255});

Lcd::Lcd() {
    buildPalette();
}

void Lcd::buildPalette() {
    palette_ = blackWhite_ ? kBlackWhitePalette : kGreenPalette;
    buildRowTables();
}

void Lcd::setInterlaced(bool on) {
    interlaced_ = on;
    // The widening writes only the even rows; with interlacing on nothing else writes the odd
    // ones, so they keep this dark fill until the mode is switched off.
    if (on) display_.fill(1);
}

void Lcd::setBlackWhite(bool on) {
    blackWhite_ = on;
    buildPalette();
}

void Lcd::present(const Machine& machine, RgbImage& window) {
    present(&machine.mem[kLcdScreen], window);
}

// Each screen byte becomes 16 display pixels, and so 16 window pixels of one colour or the other:
// both expansions are tables, so a row is drawn a screen byte at a time.
void Lcd::buildRowTables() {
    for (int byte = 0; byte < 256; ++byte) {
        for (int i = 0; i < 8; ++i) {
            const uint8_t index = uint8_t((byte >> (7 - i)) & 1);
            const PaletteEntry& e = palette_[index];
            for (int half = 0; half < 2; ++half) {
                const int px = 2 * i + half;
                indexPixels_[size_t(byte)][size_t(px)] = index;
                uint8_t* rgb = &rgbPixels_[size_t(byte)][size_t(px) * 3];
                rgb[0] = e.red;
                rgb[1] = e.green;
                rgb[2] = e.blue;
            }
        }
    }
}

// The stages of the pipeline, one screen row at a time: screen row y is staging row 79 - y,
// display row 2 (79 - y) and, doubled, the odd row after it; in the window (counted top-down)
// the odd row lands at LCD-area row 2y and the even one at 2y + 1. The staging columns left and
// right of the 160 screen columns are always clear, so they are background in every even row.
void Lcd::present(const uint8_t* lcdMemory, RgbImage& window) {
    constexpr int lcdFirstDisplayColumn = 2 * kStagingLcdColumn;
    constexpr int lcdEndDisplayColumn = lcdFirstDisplayColumn + 2 * kScreenWidth;
    static_assert(lcdEndDisplayColumn <= kLcdAreaWidth, "the whole screen lies in the LCD area");
    // Staging rows 80-87 are never written, so their even display rows stay clear.
    for (int k = kScreenHeight; k < kStagingRows; ++k) {
        std::memset(&display_[size_t(2 * k) * kDisplayColumns], 0, kDisplayColumns);
        if (!interlaced_)
            std::memset(&display_[size_t(2 * k + 1) * kDisplayColumns], 0, kDisplayColumns);
    }
    static_assert(lcdFirstDisplayColumn == 32 && kLcdAreaWidth - lcdEndDisplayColumn == 25,
                  "the strips left and right of the screen are 32 and 25 pixels wide");
    for (int y = 0; y < kScreenHeight; ++y) {
        const uint8_t* src = lcdMemory + y * kBitmapStride;
        const int k = kScreenHeight - 1 - y;
        uint8_t* even = &display_[size_t(2 * k) * kDisplayColumns];
        std::memset(even, 0, lcdFirstDisplayColumn);
        std::memset(even + lcdEndDisplayColumn, 0, kDisplayColumns - lcdEndDisplayColumn);
        uint8_t* lower = window.at(kLcdAreaLeft, kLcdAreaTop + 2 * y + 1);
        uint8_t* dst = lower;
        // A clear screen byte is 16 background pixels: the strips are made of them.
        const uint8_t* strip = rgbPixels_[0].data();
        std::memcpy(dst, strip, 48);
        std::memcpy(dst + 48, strip, 48);
        dst += 3 * lcdFirstDisplayColumn;
        for (int b = 0; b < kBitmapStride; ++b, dst += 48) {
            std::memcpy(even + lcdFirstDisplayColumn + 16 * b, indexPixels_[src[b]].data(), 16);
            std::memcpy(dst, rgbPixels_[src[b]].data(), 48);
        }
        std::memcpy(dst, strip, 48);
        std::memcpy(dst + 48, strip, 3 * (kLcdAreaWidth - lcdEndDisplayColumn) - 48);
        uint8_t* upper = window.at(kLcdAreaLeft, kLcdAreaTop + 2 * y);
        if (!interlaced_) {
            std::memcpy(even + kDisplayColumns, even, kDisplayColumns);
            std::memcpy(upper, lower, size_t(kLcdAreaWidth) * 3);
            continue;
        }
        // Interlaced: the odd row keeps what the display bitmap holds (the dark fill).
        const uint8_t* odd = even + kDisplayColumns;
        for (int c = 0; c < kLcdAreaWidth; ++c, upper += 3) {
            const PaletteEntry& e = palette_[odd[c] & 15];
            upper[0] = e.red;
            upper[1] = e.green;
            upper[2] = e.blue;
        }
    }
}

}  // namespace corvane
