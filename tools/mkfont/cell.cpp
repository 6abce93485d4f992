// Cell placement and packing for the four glyph tables.

#include "cell.h"

#include <algorithm>

namespace corvane::mkfont {

namespace {

// Start of a span of `length` pixels wanted at `wanted` inside [0, size): moved inside when it
// fits, centred (and cut on both sides) when it does not.
int fitSpan(int wanted, int length, int size) {
    if (length > size) return (size - length) / 2;
    return std::clamp(wanted, 0, size - length);
}

}  // namespace

CellPixels placeInCell(const GlyphBitmap& glyph, const CellShape& shape, Align align,
                       Placement* placement) {
    CellPixels cell(static_cast<size_t>(shape.width) * shape.height, 0);
    const int spare = std::max(shape.width - glyph.advance, 0);
    const int pen = align == Align::left ? 0 : align == Align::right ? spare : spare / 2;
    const int wantedX = pen + glyph.left;
    const int wantedY = shape.baseline - glyph.top;
    const int x0 = fitSpan(wantedX, glyph.width, shape.width);
    const int y0 = fitSpan(wantedY, glyph.rows, shape.height);
    if (placement) {
        placement->moved = x0 != wantedX || y0 != wantedY;
        placement->cut = glyph.width > shape.width || glyph.rows > shape.height;
    }
    for (int y = 0; y < glyph.rows; ++y) {
        const int cy = y0 + y;
        if (cy < 0 || cy >= shape.height) continue;
        for (int x = 0; x < glyph.width; ++x) {
            const int cx = x0 + x;
            if (cx < 0 || cx >= shape.width) continue;
            if (glyph.pixels[static_cast<size_t>(y) * glyph.width + x])
                cell[static_cast<size_t>(cy) * shape.width + cx] = 1;
        }
    }
    return cell;
}

void extendEdges(GlyphBitmap& glyph, int width) {
    const int advance = glyph.advance;
    if (advance <= 0 || advance >= width) return;
    // The glyph as drawn across its own advance, columns outside the bitmap blank.
    auto inkAt = [&](int x, int y) {
        const int bx = x - glyph.left;
        return bx >= 0 && bx < glyph.width &&
               glyph.pixels[static_cast<size_t>(y) * glyph.width + bx] != 0;
    };
    const int offset = (width - advance) / 2;
    std::vector<uint8_t> wide(static_cast<size_t>(width) * glyph.rows, 0);
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < width; ++x)
            wide[static_cast<size_t>(y) * width + x] =
                inkAt(std::clamp(x - offset, 0, advance - 1), y) ? 1 : 0;
    glyph.pixels = std::move(wide);
    glyph.width = width;
    glyph.left = 0;
    glyph.advance = width;
}

std::vector<uint8_t> packCell(const CellPixels& cell, const CellShape& shape) {
    const int rowBytes = (shape.width + 7) / 8;
    std::vector<uint8_t> bytes(static_cast<size_t>(rowBytes) * shape.height, 0);
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            if (cell[static_cast<size_t>(y) * shape.width + x])
                bytes[static_cast<size_t>(y) * rowBytes + x / 8] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
    return bytes;
}

}  // namespace corvane::mkfont
