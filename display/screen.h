#pragma once
// The screen model shared by every drawing call: the two 160 x 80 one-bit bitmaps inside
// VmMemory, the drawing state that selects one of them, and the pixel and block operations that
// all drawing is built from. Every operation works on the current draw target.

#include <cstdint>

#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {

// Mask of pixel x mod 8 within its byte: the leftmost pixel is the most significant bit.
inline constexpr uint8_t kPixelMask[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

// Mode-plot modes (bits 0-1 of most type arguments).
enum : uint8_t { kModeClear = 0, kModeSet = 1, kModeInvert = 2, kModeNothing = 3 };

// Raster operation 1: the source replaces the pixel.
inline constexpr uint8_t kRasterCopy = 1;

// Base address of the bitmap the drawing state selects; a zero target is the back buffer.
inline uint16_t targetBase(const Machine& m) {
    return m.draw.target != 0 ? m.draw.target : kGraphicsBuffer;
}

inline void selectLcd(Machine& m) {
    m.draw.target = kLcdScreen;
}
inline void selectBackBuffer(Machine& m) {
    m.draw.target = kGraphicsBuffer;
}
inline void selectTarget(Machine& m, bool lcd) {
    lcd ? selectLcd(m) : selectBackBuffer(m);
}

// VM address of the byte that holds pixel (x, y) of the draw target.
inline uint16_t pixelAddress(const Machine& m, uint32_t x, uint32_t y) {
    return uint16_t(targetBase(m) + kBitmapStride * y + (x >> 3));
}

// The drawing mode applied to the pixels of `mask` in one bitmap byte: cleared, set or
// inverted; any other mode leaves them.
inline void modeByte(uint8_t& byte, uint8_t mask, uint8_t mode) {
    switch (mode) {
        case kModeClear:
            byte &= uint8_t(~mask);
            break;
        case kModeSet:
            byte |= mask;
            break;
        case kModeInvert:
            byte ^= mask;
            break;
        default:
            break;
    }
}

// Writes one pixel with the drawing mode; points off the screen are dropped.
inline void modePlot(Machine& m, uint32_t x, uint32_t y) {
    if (x >= uint32_t(kScreenWidth) || y >= uint32_t(kScreenHeight)) return;
    modeByte(m.mem[pixelAddress(m, x, y)], kPixelMask[x & 7], m.draw.mode);
}

// Mode plot of a point given in signed coordinates (ellipses reach left of and above the screen).
inline void clippedPlot(Machine& m, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight) return;
    modePlot(m, uint32_t(x), uint32_t(y));
}

// The pixel's byte masked with its mask: 0 when clear, the mask itself when set. Not clipped:
// coordinates off the screen read whatever byte of VmMemory the pixel address reaches.
inline uint8_t pixelRead(const Machine& m, uint32_t x, uint32_t y) {
    return m.mem[pixelAddress(m, x, y)] & kPixelMask[x & 7];
}

// Draws the w x h block image at `address` with its top-left corner at (x, y), using the drawing
// mode as raster operation and the mirror flag. The image is copied first, so an image that
// overlaps the target is drawn as it was before the call.
void blockBlit(Machine& m, uint8_t x, uint8_t y, uint8_t w, uint8_t h, uint16_t address);

// Spans in the drawing mode, from the smaller to the larger end, each pixel once.
void verticalSpan(Machine& m, uint8_t x, uint8_t y0, uint8_t y1);
void horizontalSpan(Machine& m, uint8_t y, uint8_t x0, uint8_t x1);

// Mode plot of (x, y) for x = x0 .. x1 (x0 <= x1), dropping the points off the screen.
void clippedSpan(Machine& m, int32_t y, int32_t x0, int32_t x1);

// System-call arguments: the next slot from the top of the operand stack, as the low 8 bits
// (coordinates, sizes, types, modes) or the low 16 bits (addresses).
inline uint8_t popByte(Machine& m) {
    m.popA();
    return uint8_t(m.regA);
}
inline uint16_t popAddress(Machine& m) {
    m.popA();
    return uint16_t(m.regA);
}

}  // namespace corvane
