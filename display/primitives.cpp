// Points, lines and rectangles: Point, GetPoint, Line, Block, Rectangle and Box.

#include <utility>

#include "display/screen.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

constexpr uint8_t kTypeBit6 = 0x40;

struct Rect {
    uint8_t x0, y0, x1, y1;
};

// Orders the corners, then clamps them to the last column and row.
Rect normalise(Rect r) {
    if (r.y0 > r.y1) std::swap(r.y0, r.y1);
    if (r.x0 > r.x1) std::swap(r.x0, r.x1);
    const uint8_t lastX = kScreenWidth - 1, lastY = kScreenHeight - 1;
    if (r.x0 > lastX) r.x0 = lastX;
    if (r.x1 > lastX) r.x1 = lastX;
    if (r.y0 > lastY) r.y0 = lastY;
    if (r.y1 > lastY) r.y1 = lastY;
    return r;
}

void filledRect(Machine& m, Rect r) {
    r = normalise(r);
    for (uint32_t y = r.y0; y <= r.y1; ++y) horizontalSpan(m, uint8_t(y), r.x0, r.x1);
}

// Each corner is plotted twice, so in invert mode the corners end unchanged.
void outlineRect(Machine& m, Rect r) {
    r = normalise(r);
    horizontalSpan(m, r.y0, r.x0, r.x1);
    verticalSpan(m, r.x0, r.y0, r.y1);
    verticalSpan(m, r.x1, r.y0, r.y1);
    horizontalSpan(m, r.y1, r.x0, r.x1);
}

// Pops x0, y0, x1, y1 (pushed in that order).
Rect popRect(Machine& m) {
    Rect r;
    r.y1 = popByte(m);
    r.x1 = popByte(m);
    r.y0 = popByte(m);
    r.x0 = popByte(m);
    return r;
}

// The points of a line through the mode plot, with the mode and the target looked at once.
// Error counters start at 0 and every quantity is 8-bit, so the minor coordinate advances only
// when its counter reaches n, keeping the line on its starting row or column as long as possible.
template <uint8_t Mode>
void plotLine(Machine& m, uint8_t x, uint8_t y, uint8_t dx, uint8_t dy, uint8_t step, uint8_t n) {
    const uint16_t base = targetBase(m);
    uint8_t ex = 0, ey = 0;
    for (uint32_t k = 0; k <= n; ++k) {
        if (x < kScreenWidth && y < kScreenHeight) {
            uint8_t& byte = m.mem[uint16_t(base + kBitmapStride * y + (x >> 3))];
            const uint8_t mask = kPixelMask[x & 7];
            if constexpr (Mode == kModeClear) {
                byte &= uint8_t(~mask);
            } else if constexpr (Mode == kModeSet) {
                byte |= mask;
            } else {
                byte ^= mask;
            }
        }
        ex = uint8_t(ex + dx);
        ey = uint8_t(ey + dy);
        if (ex >= n) {
            ex = uint8_t(ex - n);
            ++x;
        }
        if (ey >= n) {
            ey = uint8_t(ey - n);
            y = uint8_t(y + step);
        }
    }
}

void drawLine(Machine& m, uint8_t x0, uint8_t y0, uint8_t x1, uint8_t y1) {
    if (x0 == x1) return verticalSpan(m, x0, y0, y1);
    if (y0 == y1) return horizontalSpan(m, y0, x0, x1);
    if (x1 < x0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const uint8_t dx = uint8_t(x1 - x0);
    const uint8_t dy = y0 < y1 ? uint8_t(y1 - y0) : uint8_t(y0 - y1);
    const uint8_t step = y0 < y1 ? 1 : 0xFF;
    const uint8_t n = dx > dy ? dx : dy;
    switch (m.draw.mode) {
        case kModeClear:
            return plotLine<kModeClear>(m, x0, y0, dx, dy, step, n);
        case kModeSet:
            return plotLine<kModeSet>(m, x0, y0, dx, dy, step, n);
        case kModeInvert:
            return plotLine<kModeInvert>(m, x0, y0, dx, dy, step, n);
        default:
            return;  // any other mode leaves every pixel as it is
    }
}

}  // namespace

void sys_Point(Machine& m) {
    const uint8_t type = popByte(m);
    const uint8_t y = popByte(m);
    const uint8_t x = popByte(m);
    selectTarget(m, (type & kTypeBit6) == 0);  // bit 6 set: back buffer
    m.draw.mode = type & 3;
    modePlot(m, x, y);
}

void sys_GetPoint(Machine& m) {
    const uint8_t y = popByte(m);
    const uint8_t x = popByte(m);
    selectLcd(m);
    m.regA = pixelRead(m, x, y);
    m.push(m.regA);
}

void sys_Line(Machine& m) {
    const uint8_t type = popByte(m);
    const Rect r = popRect(m);
    selectTarget(m, (type & kTypeBit6) == 0);  // bit 6 set: back buffer
    m.draw.mode = type & 3;
    drawLine(m, r.x0, r.y0, r.x1, r.y1);
}

void sys_Block(Machine& m) {
    const uint8_t type = popByte(m);
    const Rect r = popRect(m);
    selectTarget(m, (type & kTypeBit6) != 0);  // bit 6 set: LCD
    m.draw.mode = type & 3;
    filledRect(m, r);
}

void sys_Rectangle(Machine& m) {
    const uint8_t type = popByte(m);
    const Rect r = popRect(m);
    selectTarget(m, (type & kTypeBit6) != 0);  // bit 6 set: LCD
    m.draw.mode = type & 3;
    outlineRect(m, r);
}

void sys_Box(Machine& m) {
    const uint8_t type = popByte(m);
    const uint8_t fill = popByte(m);
    const Rect r = popRect(m);
    selectLcd(m);  // Box always draws on the screen
    m.draw.mode = type & 3;
    fill ? filledRect(m, r) : outlineRect(m, r);
}

}  // namespace corvane
