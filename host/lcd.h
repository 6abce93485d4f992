#pragma once
// Presentation of the 160 x 80 LCD screen memory into the LCD area of the window.
//
// Every device pixel becomes a 2 x 2 block: the screen memory is spread into a staging buffer of
// palette indices (88 rows x 256, bottom-up, LCD pixel (x, y) at row 79 - y, column 16 + x), the
// staging rows are widened into the even rows of a 512 x 176 display bitmap, and, unless
// interlaced scanning is on, each even row is copied over the odd row above it in window terms.
// The lowest 160 bitmap rows and leftmost 377 columns land at window (22, 43).

#include <array>
#include <cstdint>

#include "host/image_io.h"
#include "shared/face/face_layout.h"

namespace corvane {

struct Machine;

// Window column of LCD pixel column 0.
constexpr int kLcdImageLeft = 54;

constexpr int kStagingRows = 88;
constexpr int kStagingColumns = 256;
constexpr int kDisplayRows = 176;
constexpr int kDisplayColumns = 512;

struct PaletteEntry {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};
using Palette = std::array<PaletteEntry, 16>;

extern const Palette kGreenPalette;       // index 0 = (0, 192, 0) background, 1 = black
extern const Palette kBlackWhitePalette;  // index 0 = white

class Lcd {
  public:
    // Start-up state: both modes off, display bitmap all index 0, green palette.
    Lcd();

    // Interlaced scanning: switching it on fills the whole display bitmap with index 1, so the
    // rows the widening never writes stay dark while the mode lasts.
    void setInterlaced(bool on);
    bool interlaced() const { return interlaced_; }

    // Black-and-white: selects the palette (index 0 white instead of green).
    void setBlackWhite(bool on);
    bool blackWhite() const { return blackWhite_; }

    const Palette& palette() const { return palette_; }

    // Converts the LCD screen memory (1,600 bytes) into the display bitmap and draws the LCD
    // area (377 x 160 at (22, 43)) into `window`, which must be at least 399 x 203.
    void present(const uint8_t* lcdMemory, RgbImage& window);
    void present(const Machine& machine, RgbImage& window);

    // Palette index of display-bitmap pixel (column, row), row 0 at the bottom.
    uint8_t displayIndex(int column, int row) const {
        return display_[size_t(row) * kDisplayColumns + size_t(column)];
    }

  private:
    void buildPalette();
    void buildRowTables();

    bool interlaced_ = false;
    bool blackWhite_ = false;
    Palette palette_{};
    // What one screen byte becomes: 16 display-bitmap indices, and 16 window pixels in the
    // current palette.
    std::array<std::array<uint8_t, 16>, 256> indexPixels_{};
    std::array<std::array<uint8_t, 48>, 256> rgbPixels_{};
    std::array<uint8_t, kDisplayRows * kDisplayColumns> display_{};
};

}  // namespace corvane
