// Pixel and block operations of the screen model.

#include "display/screen.h"

#include <array>

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

inline void applyRaster(uint8_t& byte, uint8_t mask, bool source, Raster r) {
    if (r.invertSource) source = !source;
    switch (r.combine) {
        case Combine::Copy:
            byte = source ? (byte | mask) : uint8_t(byte & ~mask);
            break;
        case Combine::Or:
            if (source) byte |= mask;
            break;
        case Combine::And:
            if (!source) byte &= uint8_t(~mask);
            break;
        case Combine::Xor:
            if (source) byte ^= mask;
            break;
    }
}

}  // namespace

void rasterPlot(Machine& m, uint32_t x, uint32_t y, bool source, uint8_t op) {
    if (x >= uint32_t(kScreenWidth) || y >= uint32_t(kScreenHeight)) return;
    applyRaster(m.mem[pixelAddress(m, x, y)], kPixelMask[x & 7], source, decodeRaster(op));
}

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
    for (uint32_t j = 0; j < h; ++j) {
        // Coordinates wrap at 256 and are then clipped to the screen.
        const uint32_t sy = (y + j) & 0xFF;
        if (sy >= uint32_t(kScreenHeight)) continue;
        const uint8_t* src = &image[j * rowBytes];
        const uint32_t rowAddress = base + kBitmapStride * sy;
        for (uint32_t i = 0; i < w; ++i) {
            const uint32_t sx = (x + i) & 0xFF;
            if (sx >= uint32_t(kScreenWidth)) continue;
            const bool bit = (src[i >> 3] & kPixelMask[i & 7]) != 0;
            applyRaster(m.mem[(rowAddress + (sx >> 3)) & 0xFFFF], kPixelMask[sx & 7], bit, raster);
        }
    }
}

void verticalSpan(Machine& m, uint8_t x, uint8_t y0, uint8_t y1) {
    const uint32_t top = y0 < y1 ? y0 : y1;
    const uint32_t bottom = y0 < y1 ? y1 : y0;
    for (uint32_t y = top; y <= bottom; ++y) modePlot(m, x, y);
}

void horizontalSpan(Machine& m, uint8_t y, uint8_t x0, uint8_t x1) {
    const uint32_t left = x0 < x1 ? x0 : x1;
    const uint32_t right = x0 < x1 ? x1 : x0;
    for (uint32_t x = left; x <= right; ++x) modePlot(m, x, y);
}

}  // namespace corvane
