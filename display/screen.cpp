// Pixel and block operations of the screen model.

#include "display/screen.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace corvane {

namespace {

// Largest block image, with a clear byte before and after each of its rows: 255 rows of 32.
constexpr uint32_t kMaxPaddedBytes = 255 * (32 + 2);

inline uint32_t byteSwap(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

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

// Up to eight source bits into one bitmap byte; only the bits in `mask` change. The source is
// already inverted when the operation asks for it.
template <Combine C>
inline void combineByte(uint8_t& byte, uint8_t source, uint8_t mask) {
    if constexpr (C == Combine::Copy) {
        byte = uint8_t((byte & ~mask) | (source & mask));
    } else if constexpr (C == Combine::Or) {
        byte |= uint8_t(source & mask);
    } else if constexpr (C == Combine::And) {
        byte &= uint8_t(source | ~mask);
    } else {
        byte ^= uint8_t(source & mask);
    }
}

// Draws image columns [i0, i1) of one row at screen columns i + offset, all of them on the
// screen, a bitmap byte at a time. `padded` is the image row with a clear byte before and after
// it, so an eight-bit window at any bit position stays inside it. Every screen byte takes its
// eight source bits from the same bit position of two neighbouring image bytes; only the first
// and last screen bytes are partly covered.
template <Combine C>
void drawRun(Machine& m, uint32_t rowAddress, const uint8_t* padded, int i0, int i1, int offset) {
    const int first = i0 + offset, last = i1 - 1 + offset;
    const int firstByte = first >> 3, lastByte = last >> 3;
    const int shift = (firstByte * 8 - offset) & 7;
    const uint8_t* source = padded + ((firstByte * 8 - offset + 8) >> 3);
    const uint8_t firstMask = uint8_t(0xFF >> (first & 7));
    const uint8_t lastMask = uint8_t(0xFF << (7 - (last & 7)));
    for (int bx = firstByte; bx <= lastByte; ++bx, ++source) {
        uint8_t mask = 0xFF;
        if (bx == firstByte) mask &= firstMask;
        if (bx == lastByte) mask &= lastMask;
        const uint32_t window = (uint32_t(source[0]) << 8) | source[1];
        combineByte<C>(m.mem[(rowAddress + uint32_t(bx)) & 0xFFFF], uint8_t((window << shift) >> 8),
                       mask);
    }
}

// The image's rows, `stride` bytes apart in `padded`, onto the target bitmap.
template <Combine C>
void drawRows(Machine& m, uint8_t x, uint8_t y, uint8_t w, uint8_t h, const uint8_t* padded,
              uint32_t stride) {
    const uint16_t base = targetBase(m);
    // Image columns split into at most two runs on the screen: from x rightward, and, for an
    // image that crosses column 255, the part that wraps to column 0. Both are clipped at 160.
    const int left = x, width = w;
    const int runA = left < kScreenWidth ? std::min(width, kScreenWidth - left) : 0;
    const int startB = 256 - left;
    const int endB = std::min(width, 256 + kScreenWidth - left);
    for (uint32_t j = 0; j < h; ++j) {
        const uint32_t sy = (y + j) & 0xFF;
        if (sy >= uint32_t(kScreenHeight)) continue;
        const uint8_t* row = padded + j * stride;
        const uint32_t rowAddress = base + kBitmapStride * sy;
        if (runA > 0) drawRun<C>(m, rowAddress, row, 0, runA, left);
        if (startB < endB) drawRun<C>(m, rowAddress, row, startB, endB, left - 256);
    }
}

// Four bitmap bytes as one value, the first byte most significant, and back.
inline uint32_t loadBytes(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    if constexpr (std::endian::native == std::endian::little) v = byteSwap(v);
    return v;
}
inline void storeBytes(uint8_t* p, uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) v = byteSwap(v);
    std::memcpy(p, &v, 4);
}

// Images at most 24 pixels wide that lie whole on the screen horizontally (glyphs, mostly):
// each image row, shifted to its bit position, covers at most four bytes of a bitmap row, so it
// is combined with them as one 32-bit value. `rows` holds the image's rows left-aligned, first
// byte most significant, already mirrored and inverted as the operation asks. Bytes outside the
// image's mask are written back unchanged, which the caller allows only where the four bytes
// stay inside VmMemory.
template <Combine C>
void drawNarrowRows(Machine& m, uint8_t x, uint8_t y, uint8_t w, uint8_t h, const uint32_t* rows) {
    const uint32_t shift = x & 7;
    const uint32_t mask = ~(0xFFFFFFFFu >> w) >> shift;
    const uint32_t column = targetBase(m) + (x >> 3);
    for (uint32_t j = 0; j < h; ++j) {
        const uint32_t sy = (y + j) & 0xFF;
        if (sy >= uint32_t(kScreenHeight)) continue;
        const uint32_t source = rows[j] >> shift;
        uint8_t* d = &m.mem[column + kBitmapStride * sy];
        uint32_t bytes = loadBytes(d);
        if constexpr (C == Combine::Copy) {
            bytes = (bytes & ~mask) | (source & mask);
        } else if constexpr (C == Combine::Or) {
            bytes |= source & mask;
        } else if constexpr (C == Combine::And) {
            bytes &= source | ~mask;
        } else {
            bytes ^= source & mask;
        }
        storeBytes(d, bytes);
    }
}

// The narrow case whole: true when it applied.
bool narrowBlit(Machine& m, uint8_t x, uint8_t y, uint8_t w, uint8_t h, uint16_t address) {
    if (w > 24 || uint32_t(x) + w > uint32_t(kScreenWidth) ||
        uint32_t(targetBase(m)) + kBitmapSize + 3 > 0x10000)
        return false;
    const uint32_t rowBytes = (uint32_t(w) + 7) / 8;
    // The private copy, as whole rows.
    std::array<uint32_t, 255> rows;
    if (uint32_t(address) + rowBytes * h + 3 <= 0x10000) {
        const uint32_t keep = ~(0xFFFFFFFFu >> (8 * rowBytes));
        for (uint32_t j = 0; j < h; ++j) rows[j] = loadBytes(&m.mem[address + j * rowBytes]) & keep;
    } else {
        // The image runs past the end of VmMemory and continues at address 0.
        for (uint32_t j = 0; j < h; ++j) {
            uint32_t v = 0;
            for (uint32_t k = 0; k < rowBytes; ++k)
                v |= uint32_t(m.mem[(address + j * rowBytes + k) & 0xFFFF]) << (24 - 8 * k);
            rows[j] = v;
        }
    }
    if (m.draw.mirror && (w & 7) == 0) {
        // Reversing the row's bytes and the bits of each reverses its w bits.
        for (uint32_t j = 0; j < h; ++j) {
            uint32_t v = 0;
            for (uint32_t k = 0; k < rowBytes; ++k)
                v |= uint32_t(m.bitReverse[(rows[j] >> (24 - 8 * k)) & 0xFF])
                     << (24 - 8 * (rowBytes - 1 - k));
            rows[j] = v;
        }
    }
    const Raster raster = decodeRaster(m.draw.mode);
    if (raster.invertSource)
        for (uint32_t j = 0; j < h; ++j) rows[j] = ~rows[j];
    switch (raster.combine) {
        case Combine::Copy:
            drawNarrowRows<Combine::Copy>(m, x, y, w, h, rows.data());
            break;
        case Combine::Or:
            drawNarrowRows<Combine::Or>(m, x, y, w, h, rows.data());
            break;
        case Combine::And:
            drawNarrowRows<Combine::And>(m, x, y, w, h, rows.data());
            break;
        case Combine::Xor:
            drawNarrowRows<Combine::Xor>(m, x, y, w, h, rows.data());
            break;
    }
    return true;
}

}  // namespace

void blockBlit(Machine& m, uint8_t x, uint8_t y, uint8_t w, uint8_t h, uint16_t address) {
    if (w == 0 || h == 0 || narrowBlit(m, x, y, w, h, address)) return;
    const uint32_t rowBytes = (uint32_t(w) + 7) / 8;
    const uint32_t stride = rowBytes + 2;  // a clear byte before and after every row

    // Private copy first: the image may lie inside the bitmap it is drawn into. An image that
    // runs past the end of VmMemory continues at address 0.
    std::array<uint8_t, kMaxPaddedBytes> padded;
    const uint32_t total = rowBytes * h;
    const bool wraps = uint32_t(address) + total > 0x10000;
    for (uint32_t j = 0; j < h; ++j) {
        uint8_t* row = &padded[j * stride];
        const uint32_t from = address + j * rowBytes;
        row[0] = 0;
        if (wraps) {
            for (uint32_t k = 0; k < rowBytes; ++k) row[1 + k] = m.mem[(from + k) & 0xFFFF];
        } else {
            std::memcpy(row + 1, &m.mem[from], rowBytes);
        }
        row[rowBytes + 1] = 0;
    }

    // Mirroring works on whole bytes, so only widths that are multiples of 8 are mirrored.
    if (m.draw.mirror && (w & 7) == 0) {
        for (uint32_t j = 0; j < h; ++j) {
            uint8_t* p = &padded[j * stride + 1];
            for (uint32_t i = 0, k = rowBytes - 1; i < k; ++i, --k) {
                const uint8_t t = p[i];
                p[i] = p[k];
                p[k] = t;
            }
            for (uint32_t i = 0; i < rowBytes; ++i) p[i] = m.bitReverse[p[i]];
        }
    }

    const Raster raster = decodeRaster(m.draw.mode);
    // Inverting the whole copy once is the same as inverting each source byte: the padding and
    // the bits past the width are never drawn.
    if (raster.invertSource) {
        for (uint32_t j = 0; j < h; ++j) {
            uint8_t* p = &padded[j * stride + 1];
            for (uint32_t i = 0; i < rowBytes; ++i) p[i] = uint8_t(~p[i]);
        }
    }
    switch (raster.combine) {
        case Combine::Copy:
            return drawRows<Combine::Copy>(m, x, y, w, h, padded.data(), stride);
        case Combine::Or:
            return drawRows<Combine::Or>(m, x, y, w, h, padded.data(), stride);
        case Combine::And:
            return drawRows<Combine::And>(m, x, y, w, h, padded.data(), stride);
        case Combine::Xor:
            return drawRows<Combine::Xor>(m, x, y, w, h, padded.data(), stride);
    }
}

// The mode plot of each point, with the mode and the pixel's byte and mask found once; the
// points off the screen are dropped.
void verticalSpan(Machine& m, uint8_t x, uint8_t y0, uint8_t y1) {
    const uint32_t top = y0 < y1 ? y0 : y1;
    const uint32_t bottom = std::min<uint32_t>(y0 < y1 ? y1 : y0, kScreenHeight - 1);
    if (x >= kScreenWidth || m.draw.mode > kModeInvert) return;
    const uint8_t mask = kPixelMask[x & 7];
    const uint32_t column = targetBase(m) + (x >> 3);
    for (uint32_t y = top; y <= bottom; ++y) {
        modeByte(m.mem[uint16_t(column + kBitmapStride * y)], mask, m.draw.mode);
    }
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
        modeByte(m.mem[(rowAddress + uint32_t(bx)) & 0xFFFF], mask, m.draw.mode);
    }
}

}  // namespace corvane
