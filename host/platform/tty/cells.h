#pragma once
// The LCD as character cells. Half-blocks give each cell two pixels, one above the other (the
// upper one in the foreground colour of "▀", the lower one in the background colour): 160 x 80
// pixels in 160 x 40 cells. Braille gives each cell 2 x 4 dots: 80 x 20 cells, for a small
// terminal. Without colour, a cell shows which of its pixels are dark. A frame is compared with
// the one before it, and only the cells that changed are written again.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/platform/tty/terminal.h"

namespace corvane {

// The LCD's pixels as the window shows them (its palette, the splash, the menu over it).
constexpr int kTtyPixelsWide = 160;
constexpr int kTtyPixelsHigh = 80;
struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
using LcdPixels = std::array<Rgb, kTtyPixelsWide * kTtyPixelsHigh>;

enum class CellMode : uint8_t { HalfBlocks, Braille };

// Cells a mode needs.
TerminalSize cellsOf(CellMode mode);
// The mode that fits `size` (half-blocks when they fit, else braille), or nothing when neither
// does.
bool chooseCellMode(TerminalSize size, CellMode& mode);

// Whether a pixel counts as dark: the ink of the LCD, where no colour can say it.
bool darkPixel(Rgb p);

struct Cell {
    char32_t glyph = U' ';
    Rgb fg;
    Rgb bg;
    bool operator==(const Cell&) const = default;
};

// One frame of cells, row by row.
struct CellFrame {
    CellMode mode = CellMode::HalfBlocks;
    int columns = 0;
    int rows = 0;
    std::vector<Cell> cells;
    const Cell& at(int column, int row) const { return cells[size_t(row * columns + column)]; }
};

CellFrame makeCells(const LcdPixels& pixels, CellMode mode, ColorDepth depth);

// The bytes that turn `before` into `after` on a terminal, with `after`'s top-left cell at
// (row, column) `origin` (0-based). Cells that did not change are not written; a `before` of
// another size or mode counts as nothing shown.
std::string drawCells(const CellFrame& before, const CellFrame& after, int originRow,
                      int originColumn, ColorDepth depth);

// The xterm 256-colour palette's nearest entry to `c` (its 6 x 6 x 6 cube and grey ramp).
int palette256(Rgb c);

}  // namespace corvane
