// LCD presentation: screen memory -> staging buffer -> display bitmap -> window pixels.

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

void Lcd::present(const uint8_t* lcdMemory, RgbImage& window) {
    // 1-2: spread the screen memory into the staging buffer, bottom-up.
    std::memset(staging_.data(), 0, size_t(kScreenHeight) * kStagingColumns);
    for (int y = 0; y < kScreenHeight; ++y) {
        uint8_t* row =
            &staging_[size_t(kScreenHeight - 1 - y) * kStagingColumns + kStagingLcdColumn];
        const uint8_t* src = lcdMemory + y * kBitmapStride;
        for (int b = 0; b < kBitmapStride; ++b) {
            const uint8_t bits = src[b];
            for (int i = 0; i < 8; ++i) row[b * 8 + i] = (bits >> (7 - i)) & 1;
        }
    }

    // 3: widen every staging row into the even display row, two pixels per staging byte.
    for (int k = 0; k < kStagingRows; ++k) {
        const uint8_t* src = &staging_[size_t(k) * kStagingColumns];
        uint8_t* dst = &display_[size_t(2 * k) * kDisplayColumns];
        for (int c = 0; c < kStagingColumns; ++c) dst[2 * c] = dst[2 * c + 1] = src[c];
    }

    // 4: double the rows unless the interlace rows are to stay dark.
    if (!interlaced_) {
        for (int k = 0; k < kStagingRows; ++k) {
            std::memcpy(&display_[size_t(2 * k + 1) * kDisplayColumns],
                        &display_[size_t(2 * k) * kDisplayColumns], kDisplayColumns);
        }
    }

    // 5: the lowest 160 rows and leftmost 377 columns of the bottom-up bitmap fill the LCD area.
    for (int r = 0; r < kLcdAreaHeight; ++r) {
        const uint8_t* src = &display_[size_t(r) * kDisplayColumns];
        uint8_t* dst = window.at(kLcdAreaLeft, kLcdAreaTop + kLcdAreaHeight - 1 - r);
        for (int c = 0; c < kLcdAreaWidth; ++c) {
            const PaletteEntry& e = palette_[src[c] & 15];
            dst[0] = e.red;
            dst[1] = e.green;
            dst[2] = e.blue;
            dst += 3;
        }
    }
}

}  // namespace corvane
