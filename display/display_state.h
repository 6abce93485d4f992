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

}  // namespace corvane
