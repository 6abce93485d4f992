// Circle and Ellipse: a two-region midpoint routine that plots through the clipped plot. Its
// arithmetic is 32-bit and wraps; the points it repeats are part of its behaviour (in invert
// mode a point plotted twice ends unchanged).

#include <cmath>

#include "display/screen.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

// 32-bit two's-complement result of a wider computation.
inline int32_t wrap32(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

// trunc(num / sqrt(A + B)), with 0 for the 0 / 0 of a zero-sized ellipse.
int32_t regionLimit(int32_t num, int32_t a2, int32_t b2) {
    const double sum = double(a2) + double(b2);
    if (sum == 0.0) return 0;
    return int32_t(std::trunc(double(num) / std::sqrt(sum)));
}

class EllipseDrawer {
  public:
    EllipseDrawer(Machine& m, int32_t cx, int32_t cy) : m_(m), cx_(cx), cy_(cy) {}

    void plot(int32_t x, int32_t y) { clippedPlot(m_, x, y); }

    void fillRow(int32_t row, int32_t c0, int32_t c1) { clippedSpan(m_, row, c0, c1); }

    void draw(int32_t a, int32_t b, bool fill) {
        const int32_t A = a * a, B = b * b;

        // First region: steps along x, from the top and bottom of the ellipse outward.
        const int32_t xl = regionLimit(A, A, B);
        int32_t d = wrap32(int64_t(1 - 2 * b) * A);
        int32_t y = b;
        for (int32_t x = 0; x <= xl; ++x) {
            if (d < 0 || y == 0) {
                d = wrap32(int64_t(d) + int64_t(2) * B * (2 * x + 1));
            } else {
                d = wrap32(int64_t(d) + int64_t(2) * B * (2 * x + 1) + int64_t(A) * (4 - 4 * y));
                if (fill && x >= 1) {
                    fillRow(cy_ + y, cx_ - x + 1, cx_ + x - 1);
                    fillRow(cy_ - y, cx_ - x + 1, cx_ + x - 1);
                }
                --y;
            }
            if (!fill) {
                plot(cx_ + x, cy_ + y);
                plot(cx_ - x, cy_ + y);
                plot(cx_ + x, cy_ - y);
                plot(cx_ - x, cy_ - y);
            }
        }
        const int32_t X = xl + 1;
        if (fill) {
            fillRow(cy_ + y, cx_ - X, cx_ + X);
            fillRow(cy_ - y, cx_ - X, cx_ + X);
        } else {
            plot(cx_ + X, cy_ + y);
            plot(cx_ - X, cy_ + y);
            plot(cx_ + X, cy_ - y);
            plot(cx_ - X, cy_ - y);
        }
        const int32_t yend = y;

        // Second region: steps along y, from the left and right ends inward.
        const int32_t yl = regionLimit(B, A, B);
        d = wrap32(int64_t(1 - 2 * a) * B);
        int32_t x = a;
        for (y = 0; y <= yl; ++y) {
            if (d < 0 || x == 0) {
                d = wrap32(int64_t(d) + int64_t(2) * A * (2 * y + 1));
            } else {
                d = wrap32(int64_t(d) + int64_t(2) * A * (2 * y + 1) + int64_t(B) * (4 - 4 * x));
                --x;
            }
            if (fill && y < yend) {
                fillRow(cy_ + y, cx_ - x, cx_ + x);
                if (y != 0) fillRow(cy_ - y, cx_ - x, cx_ + x);
            } else {
                plot(cx_ + x, cy_ + y);
                plot(cx_ + x, cy_ - y);
                plot(cx_ - x, cy_ + y);
                plot(cx_ - x, cy_ - y);
            }
        }
        const int32_t Y = yl + 1;
        if (fill && Y < yend) {
            fillRow(cy_ + Y, cx_ - x, cx_ + x);
            fillRow(cy_ - Y, cx_ - x, cx_ + x);
        } else {
            plot(cx_ + x, cy_ + Y);
            plot(cx_ + x, cy_ - Y);
            plot(cx_ - x, cy_ + Y);
            plot(cx_ - x, cy_ - Y);
        }
    }

  private:
    Machine& m_;
    int32_t cx_, cy_;
};

void drawEllipse(Machine& m, uint8_t cx, uint8_t cy, uint8_t a, uint8_t b, uint8_t fill,
                 uint8_t type) {
    selectLcd(m);  // Circle and Ellipse always draw on the screen
    m.draw.mode = type & 3;
    EllipseDrawer(m, cx, cy).draw(a, b, fill != 0);
}

}  // namespace

void sys_Circle(Machine& m) {
    const uint8_t type = popByte(m);
    const uint8_t fill = popByte(m);
    const uint8_t r = popByte(m);
    const uint8_t y = popByte(m);
    const uint8_t x = popByte(m);
    drawEllipse(m, x, y, r, r, fill, type);
}

void sys_Ellipse(Machine& m) {
    const uint8_t type = popByte(m);
    const uint8_t fill = popByte(m);
    const uint8_t b = popByte(m);
    const uint8_t a = popByte(m);
    const uint8_t y = popByte(m);
    const uint8_t x = popByte(m);
    drawEllipse(m, x, y, a, b, fill, type);
}

}  // namespace corvane
