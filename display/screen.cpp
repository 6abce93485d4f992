// Pixel and block operations of the screen model.

#include "display/screen.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace corvane {

namespace {

// Largest block image: 255 rows of 32 bytes.
constexpr uint32_t kMaxBlockBytes = 255 * 32;

// A raster operation reduced to what the pixel loops need: whether the source is inverted and
// which of the four combinations (copy, or, and, xor) applies.
enum class Combine : uint8_t { Copy, Or, And, Xor };

struct Raster {
    bool invertSource;
    Combine combine;
};

Raster decodeRaster(uint8_t op) {
    const uint8_t base = op & 7;
    // Bit 3 inverts the source; so does operation 2 ("not"), and the two do not cancel.
    const bool invert = (op & 0x08) != 0 || base == 2;
    switch (base) {
        case 3:
            return {invert, Combine::Or};
        case 4:
            return {invert, Combine::And};
        case 5:
            return {invert, Combine::Xor};
        default:
            return {invert, Combine::Copy};
    }
}

// Up to eight source bits into one bitmap byte; only the bits in `mask` change.
inline void combineByte(uint8_t& byte, uint8_t source, uint8_t mask, Raster r) {
    if (r.invertSource) source = uint8_t(~source);
    switch (r.combine) {
        case Combine::Copy:
            byte = uint8_t((byte & ~mask) | (source & mask));
            break;
        case Combine::Or:
            byte |= uint8_t(source & mask);
            break;
        case Combine::And:
            byte &= uint8_t(source | ~mask);
            break;
        case Combine::Xor:
            byte ^= uint8_t(source & mask);
            break;
    }
}

// Draws image columns [i0, i1) of one row at screen columns i + offset, all of them on the
// screen, a bitmap byte at a time. `padded` is the image row with a clear byte before and after
// it, so an eight-bit window at any bit position stays inside it.
void drawRun(Machine& m, uint32_t rowAddress, const uint8_t* padded, int i0, int i1, int offset,
             Raster r) {
    const int first = i0 + offset, last = i1 - 1 + offset;
    for (int bx = first >> 3; bx <= last >> 3; ++bx) {
        const int c0 = std::max(first, bx * 8), c1 = std::min(last, bx * 8 + 7);
        const uint8_t mask = uint8_t((0xFF >> (c0 & 7)) & (0xFF << (7 - (c1 & 7))));
        const int bit = bx * 8 - offset + 8;  // image bit of the byte's first column, padded
        const uint32_t window = (uint32_t(padded[bit >> 3]) << 8) | padded[(bit >> 3) + 1];
        const uint8_t source = uint8_t((window << (bit & 7)) >> 8);
        combineByte(m.mem[(rowAddress + uint32_t(bx)) & 0xFFFF], source, mask, r);
    }
}

}  // namespace

void blockBlit(Machine& m, uint8_t x, uint8_t y, uint8_t w, uint8_t h, uint16_t address) {
    if (w == 0 || h == 0) return;
    const uint32_t rowBytes = (uint32_t(w) + 7) / 8;
    const uint32_t total = rowBytes * h;

    // Private copy first: the image may lie inside the bitmap it is drawn into. An image that
    // runs past the end of VmMemory continues at address 0.
    std::array<uint8_t, kMaxBlockBytes> image;
    for (uint32_t k = 0; k < total; ++k) image[k] = m.mem[(address + k) & 0xFFFF];

    // Mirroring works on whole bytes, so only widths that are multiples of 8 are mirrored.
    if (m.draw.mirror && (w & 7) == 0) {
        for (uint32_t row = 0; row < total; row += rowBytes) {
            uint8_t* p = &image[row];
            for (uint32_t i = 0, j = rowBytes - 1; i < j; ++i, --j) {
                const uint8_t t = p[i];
                p[i] = p[j];
                p[j] = t;
            }
            for (uint32_t i = 0; i < rowBytes; ++i) p[i] = m.bitReverse[p[i]];
        }
    }

    const Raster raster = decodeRaster(m.draw.mode);
    const uint16_t base = targetBase(m);
    // Image columns split into at most two runs on the screen: from x rightward, and, for an
    // image that crosses column 255, the part that wraps to column 0. Both are clipped at 160.
    const int left = x, width = w;
    const int runA = left < kScreenWidth ? std::min(width, kScreenWidth - left) : 0;
    const int startB = 256 - left;
    const int endB = std::min(width, 256 + kScreenWidth - left);
    std::array<uint8_t, 32 + 2> padded{};  // one clear byte before and after the row
    for (uint32_t j = 0; j < h; ++j) {
        const uint32_t sy = (y + j) & 0xFF;
        if (sy >= uint32_t(kScreenHeight)) continue;
        std::memcpy(&padded[1], &image[j * rowBytes], rowBytes);
        padded[rowBytes + 1] = 0;
        const uint32_t rowAddress = base + kBitmapStride * sy;
        if (runA > 0) drawRun(m, rowAddress, padded.data(), 0, runA, left, raster);
        if (startB < endB) drawRun(m, rowAddress, padded.data(), startB, endB, left - 256, raster);
    }
}

void verticalSpan(Machine& m, uint8_t x, uint8_t y0, uint8_t y1) {
    const uint32_t top = y0 < y1 ? y0 : y1;
    const uint32_t bottom = y0 < y1 ? y1 : y0;
    for (uint32_t y = top; y <= bottom; ++y) modePlot(m, x, y);
}

void horizontalSpan(Machine& m, uint8_t y, uint8_t x0, uint8_t x1) {
    clippedSpan(m, y, x0 < x1 ? x0 : x1, x0 < x1 ? x1 : x0);
}

// Each pixel of a span is plotted once and pixels do not affect each other, so the span is
// drawn a byte at a time with the same result as plotting its points in order.
void clippedSpan(Machine& m, int32_t y, int32_t x0, int32_t x1) {
    if (y < 0 || y >= kScreenHeight || m.draw.mode > kModeInvert) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, kScreenWidth - 1);
    if (x0 > x1) return;
    const uint32_t rowAddress = targetBase(m) + kBitmapStride * uint32_t(y);
    for (int32_t bx = x0 >> 3; bx <= x1 >> 3; ++bx) {
        const int32_t c0 = std::max(x0, bx * 8), c1 = std::min(x1, bx * 8 + 7);
        const uint8_t mask = uint8_t((0xFF >> (c0 & 7)) & (0xFF << (7 - (c1 & 7))));
        uint8_t& byte = m.mem[(rowAddress + uint32_t(bx)) & 0xFFFF];
        switch (m.draw.mode) {
            case kModeClear:
                byte &= uint8_t(~mask);
                break;
            case kModeSet:
                byte |= mask;
                break;
            default:
                byte ^= mask;
                break;
        }
    }
}

}  // namespace corvane
