#pragma once
// Drawing and console state of the display: small process-wide state that lives in the Machine.

#include <cstdint>

namespace corvane {

// Set by every drawing call before it draws; survives resets and programs.
struct DrawState {
    uint16_t target = 0;  // base address of the bitmap drawn into; 0 = graphics back buffer
    uint8_t mode = 0;     // mode plot 0-3, or a 4-bit raster operation
    bool mirror = false;  // only WriteBlock and TextOut change it
};

// The console text screen; reset by the machine reset.
struct ConsoleState {
    uint8_t smallFont = 0;  // 0 = large-font console (20 x 5), 1 = small-font console (26 x 6)
    uint8_t columns = 20;
    uint8_t rows = 5;
    uint8_t cursorColumn = 0;
    uint8_t cursorRow = 0;  // equals rows while a scroll is pending
    uint8_t writeIndex = 0;
    uint8_t skipMask = 0;
};

// What the console render drew last, so that the next render can redraw only what changed.
// Derived state: when it does not match (another font, mirror flag or console size, or LCD
// pixels changed since), the render draws every row, as it always may.
struct ConsoleRenderCache {
    static constexpr int kMaxRows = 6;
    static constexpr int kRowBytes = 27;  // up to 26 columns and the byte after the row
    bool valid = false;
    uint8_t smallFont = 0;
    uint8_t columns = 0;
    uint8_t rows = 0;
    bool mirror = false;
    const void* fonts = nullptr;
    bool rowDrawn[kMaxRows] = {};  // the row's text below is what its cells show
    uint8_t text[kMaxRows][kRowBytes] = {};
    uint8_t lcd[1600] = {};  // the LCD screen memory as the last render left it
};

}  // namespace corvane
