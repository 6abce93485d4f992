#pragma once
// Placing a rendered glyph into a fixed character cell and packing the cell into table bytes.

#include <cstdint>
#include <vector>

#include "face.h"

namespace corvane::mkfont {

struct CellShape {
    int width;
    int height;
    int baseline;  // rows of the cell above the baseline
};

// A cell's pixels, height * width, 1 = ink.
using CellPixels = std::vector<uint8_t>;

// What placement had to do to a glyph that did not sit inside its cell.
struct Placement {
    bool moved = false;  // shifted to stay inside the cell
    bool cut = false;    // larger than the cell: ink lost
};

// Where a glyph whose advance is narrower than the cell goes.
enum class Align { centre, left, right };

// Puts `glyph` on the cell's baseline, a narrow one aligned as `align` says. A glyph that fits
// the cell but pokes out of it is moved inside instead of being cut.
CellPixels placeInCell(const GlyphBitmap& glyph, const CellShape& shape,
                       Align align = Align::centre, Placement* placement = nullptr);

// Widens a line-drawing glyph narrower than `width` to `width` columns by repeating its first
// and last columns, so that its lines still meet those of the neighbouring cells.
void extendEdges(GlyphBitmap& glyph, int width);

// Rows top first, each row (width + 7) / 8 bytes, leftmost pixel in the most significant bit;
// the bits past the cell's width stay clear.
std::vector<uint8_t> packCell(const CellPixels& cell, const CellShape& shape);

}  // namespace corvane::mkfont
