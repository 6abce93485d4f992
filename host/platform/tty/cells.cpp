#include "host/platform/tty/cells.h"

#include <cstdlib>

namespace corvane {

namespace {

const Rgb& pixel(const LcdPixels& p, int x, int y) {
    return p[size_t(y * kTtyPixelsWide + x)];
}

int luminance(Rgb p) {
    return (p.r * 299 + p.g * 587 + p.b * 114) / 1000;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

void appendColor(std::string& out, bool foreground, Rgb c, ColorDepth depth) {
    if (depth == ColorDepth::TrueColor) {
        out += foreground ? "\x1b[38;2;" : "\x1b[48;2;";
        out += std::to_string(c.r) + ';' + std::to_string(c.g) + ';' + std::to_string(c.b) + 'm';
    } else {
        out += foreground ? "\x1b[38;5;" : "\x1b[48;5;";
        out += std::to_string(palette256(c)) + 'm';
    }
}

// Half-block cell: the upper pixel in "▀"'s colour, the lower one behind it. Without colour the
// glyph itself shows which pixels are dark.
Cell halfBlockCell(const LcdPixels& p, int column, int row, ColorDepth depth) {
    const Rgb& upper = pixel(p, column, 2 * row);
    const Rgb& lower = pixel(p, column, 2 * row + 1);
    Cell cell;
    if (depth != ColorDepth::None) {
        cell.glyph = U'▀';
        cell.fg = upper;
        cell.bg = lower;
        return cell;
    }
    static constexpr char32_t kGlyphs[4] = {U' ', U'▀', U'▄', U'█'};
    cell.glyph = kGlyphs[(darkPixel(upper) ? 1 : 0) | (darkPixel(lower) ? 2 : 0)];
    return cell;
}

// Braille cell: a dot for each dark pixel of its 2 x 4, in the darkest colour of the cell on the
// lightest one.
Cell brailleCell(const LcdPixels& p, int column, int row, ColorDepth depth) {
    // Dot bits of U+2800 by (x, y) in the cell: 1 4 / 2 5 / 3 6 / 7 8.
    static constexpr uint8_t kDot[4][2] = {{0x01, 0x08}, {0x02, 0x10}, {0x04, 0x20}, {0x40, 0x80}};
    uint8_t dots = 0;
    Cell cell;
    int darkest = 256, lightest = -1;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 2; ++x) {
            const Rgb& px = pixel(p, 2 * column + x, 4 * row + y);
            if (darkPixel(px)) dots |= kDot[y][x];
            const int l = luminance(px);
            if (l < darkest) darkest = l, cell.fg = px;
            if (l > lightest) lightest = l, cell.bg = px;
        }
    }
    cell.glyph = char32_t(0x2800 + dots);
    if (depth == ColorDepth::None) cell.fg = cell.bg = Rgb{};
    return cell;
}

}  // namespace

TerminalSize cellsOf(CellMode mode) {
    return mode == CellMode::HalfBlocks ? TerminalSize{kTtyPixelsWide, kTtyPixelsHigh / 2}
                                        : TerminalSize{kTtyPixelsWide / 2, kTtyPixelsHigh / 4};
}

bool chooseCellMode(TerminalSize size, CellMode& mode) {
    for (CellMode m : {CellMode::HalfBlocks, CellMode::Braille}) {
        const TerminalSize need = cellsOf(m);
        if (size.columns >= need.columns && size.rows >= need.rows) {
            mode = m;
            return true;
        }
    }
    return false;
}

bool darkPixel(Rgb p) {
    return luminance(p) < 64;
}

CellFrame makeCells(const LcdPixels& pixels, CellMode mode, ColorDepth depth) {
    CellFrame frame;
    frame.mode = mode;
    const TerminalSize size = cellsOf(mode);
    frame.columns = size.columns;
    frame.rows = size.rows;
    frame.cells.reserve(size_t(size.columns * size.rows));
    for (int row = 0; row < size.rows; ++row) {
        for (int column = 0; column < size.columns; ++column) {
            frame.cells.push_back(mode == CellMode::HalfBlocks
                                      ? halfBlockCell(pixels, column, row, depth)
                                      : brailleCell(pixels, column, row, depth));
        }
    }
    return frame;
}

std::string drawCells(const CellFrame& before, const CellFrame& after, int originRow,
                      int originColumn, ColorDepth depth) {
    const bool fresh = before.mode != after.mode || before.columns != after.columns ||
                       before.rows != after.rows || before.cells.size() != after.cells.size();
    std::string out;
    bool haveColors = false;
    Cell pen;  // the colours last set
    for (int row = 0; row < after.rows; ++row) {
        int cursor = -1;  // column the terminal's cursor is at in this row, -1 unknown
        for (int column = 0; column < after.columns; ++column) {
            const Cell& cell = after.at(column, row);
            if (!fresh && cell == before.at(column, row)) continue;
            if (cursor != column) {
                out += "\x1b[" + std::to_string(originRow + row + 1) + ';' +
                       std::to_string(originColumn + column + 1) + 'H';
            }
            if (depth != ColorDepth::None) {
                if (!haveColors || !(pen.fg == cell.fg)) appendColor(out, true, cell.fg, depth);
                if (!haveColors || !(pen.bg == cell.bg)) appendColor(out, false, cell.bg, depth);
                pen = cell;
                haveColors = true;
            }
            appendUtf8(out, cell.glyph);
            cursor = column + 1;
        }
    }
    if (haveColors) out += "\x1b[0m";
    return out;
}

int palette256(Rgb c) {
    // The cube's six levels per channel: 0, 95, 135, 175, 215, 255.
    auto level = [](int v) { return v < 48 ? 0 : v < 115 ? 1 : (v - 35) / 40; };
    auto value = [](int l) { return l == 0 ? 0 : 55 + 40 * l; };
    const int lr = level(c.r), lg = level(c.g), lb = level(c.b);
    const int cube = 16 + 36 * lr + 6 * lg + lb;
    const int cubeError =
        std::abs(value(lr) - c.r) + std::abs(value(lg) - c.g) + std::abs(value(lb) - c.b);
    // The grey ramp: 24 steps from 8 to 238.
    const int average = (c.r + c.g + c.b) / 3;
    const int step = average < 8 ? 0 : average > 238 ? 23 : (average - 8 + 5) / 10;
    const int grey = 8 + 10 * step;
    const int greyError = std::abs(grey - c.r) + std::abs(grey - c.g) + std::abs(grey - c.b);
    return greyError < cubeError ? 232 + step : cube;
}

}  // namespace corvane
