// The console text screen: a grid of characters in the text buffer of VmMemory, a cursor that
// advances and scrolls, and a render that repaints the LCD screen memory from the buffer.

#include "display/console.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "display/screen.h"
#include "display/text.h"
#include "vm/host.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

constexpr uint8_t kLargeColumns = 20, kLargeRows = 5;
constexpr uint8_t kSmallColumns = 26, kSmallRows = 6;

// The small console's cells are 6 x 12 with one blank row above each text row; these rows and
// the two columns at each side are the separators and margins the render clears.
constexpr uint8_t kSmallSeparatorRows[] = {0, 13, 26, 39, 52, 65, 78, 79};
constexpr uint8_t kSmallMarginColumns[] = {0, 1, 158, 159};

uint8_t* textBuffer(Machine& m) {
    return &m.mem[kTextBuffer];
}

// Moves every text row up by one and blanks the last row with spaces; the cursor goes to the
// start of the last row. The screen follows at the next render.
void scroll(Machine& m) {
    ConsoleState& c = m.console;
    const uint32_t keep = uint32_t(c.rows - 1) * c.columns;
    uint8_t* text = textBuffer(m);
    std::memmove(text, text + c.columns, keep);
    std::memset(text + keep, ' ', c.columns);
    c.writeIndex = uint8_t(keep);
    c.cursorRow = uint8_t(c.rows - 1);
    c.cursorColumn = 0;
}

void clearSmallMargins(Machine& m) {
    for (uint8_t row : kSmallSeparatorRows)
        std::memset(&m.mem[kLcdScreen + kBitmapStride * row], 0, kBitmapStride);
    m.draw.mode = kModeClear;
    for (uint8_t column : kSmallMarginColumns) verticalSpan(m, column, 0, kScreenHeight - 1);
}

// One glyph of a text row: the cell it starts in and its two bytes (the second counts only
// for a double-byte character).
struct Cell {
    uint8_t column;
    uint8_t first;
    uint8_t second;
};

// The glyphs of a row as the render draws them, left to right. `text` holds the row's bytes and
// the byte after it: a first byte in the last column takes its second byte from the start of
// the next row (or the byte after the buffer's last row), and its glyph is cut at the right
// edge.
int rowCells(const uint8_t* text, uint32_t columns, Cell* cells) {
    int n = 0;
    uint32_t col = 0;
    while (col < columns) {
        const uint8_t b = text[col];
        if (b < 0x80) {
            cells[n++] = {uint8_t(col), b, 0};
            col += 1;
        } else {
            cells[n++] = {uint8_t(col), b, text[col + 1]};
            col += 2;
        }
    }
    return n;
}

bool sameGlyph(const Cell& a, const Cell& b) {
    return a.column == b.column && a.first == b.first && (a.first < 0x80 || a.second == b.second);
}

void drawCell(Machine& m, uint32_t row, const Cell& cell) {
    const bool small = m.console.smallFont != 0;
    const uint8_t y = small ? uint8_t(13 * row + 1) : uint8_t(16 * row);
    const uint8_t x = small ? uint8_t(6 * cell.column + 2) : uint8_t(8 * cell.column);
    if (cell.first < 0x80) {
        small ? drawSmallAscii(m, x, y, cell.first) : drawLargeAscii(m, x, y, cell.first);
    } else {
        small ? drawSmallHanzi(m, x, y, cell.first, cell.second)
              : drawLargeHanzi(m, x, y, cell.first, cell.second);
    }
}

constexpr int kMaxCells = ConsoleRenderCache::kRowBytes;

// The row's bytes and the byte after it, read as the render reads them.
void readRow(const Machine& m, uint32_t row, uint8_t* text) {
    const ConsoleState& c = m.console;
    const uint32_t start = kTextBuffer + row * c.columns;
    for (uint32_t i = 0; i <= c.columns; ++i) text[i] = m.read8(start + i);
}

// Whether the cache describes the LCD as it is now, for the console as it is set up now.
bool cacheMatches(const Machine& m) {
    const ConsoleRenderCache& k = m.consoleCache;
    const ConsoleState& c = m.console;
    return k.valid && k.smallFont == c.smallFont && k.columns == c.columns && k.rows == c.rows &&
           k.mirror == m.draw.mirror && k.fonts == m.fonts &&
           std::memcmp(k.lcd, &m.mem[kLcdScreen], kBitmapSize) == 0;
}

// Whether two rows (their bytes and the byte after each) show the same glyphs. The byte after a
// row counts only as the second byte of a double-byte character that starts in the last column;
// it is the first byte of the next row, so after a scroll it differs from what it was whenever
// the row below changed.
bool sameGlyphs(const uint8_t* a, const uint8_t* b, uint32_t columns) {
    if (std::memcmp(a, b, columns) != 0) return false;
    uint32_t col = 0;
    while (col + 1 < columns) col += a[col] < 0x80 ? 1 : 2;
    const bool cutDoubleByte = col + 1 == columns && a[col] >= 0x80;
    return !cutDoubleByte || a[columns] == b[columns];
}

// Console output that scrolled moved every row up by one: the pixels of the rows move with it,
// and only the new last row is left to draw.
void followScroll(Machine& m) {
    ConsoleRenderCache& k = m.consoleCache;
    const ConsoleState& c = m.console;
    if (c.rows < 2) return;
    uint8_t text[ConsoleRenderCache::kMaxRows][kMaxCells];
    for (uint32_t row = 0; row + 1 < c.rows; ++row) {
        if (!k.rowDrawn[row + 1]) return;
        readRow(m, row, text[row]);
        if (!sameGlyphs(text[row], k.text[row + 1], c.columns)) return;
    }
    // Large cells are 16 pixel rows high from row 0; small ones 12 high from row 1, 13 apart.
    const uint32_t pitch = c.smallFont ? 13 : 16;
    const uint32_t first = c.smallFont ? 1 : 0;
    uint8_t* lcd = &m.mem[kLcdScreen];
    std::memmove(lcd + kBitmapStride * first, lcd + kBitmapStride * (first + pitch),
                 kBitmapStride * pitch * (c.rows - 1u));
    // The moved rows show their text as it is now (the same glyphs).
    for (uint32_t row = 0; row + 1 < c.rows; ++row) {
        std::memcpy(k.text[row], text[row], c.columns + 1u);
        k.rowDrawn[row] = true;
    }
    // The last row's pixels stay as they were, and so does its cached text.
}

// Draws the glyphs of a row that differ from what its cells show; all of them when nothing is
// known of the row. A double-byte glyph in the small console's last column reaches into the
// margin that the render has just cleared, so it is always drawn again.
void renderRow(Machine& m, uint32_t row, bool known) {
    ConsoleRenderCache& k = m.consoleCache;
    const ConsoleState& c = m.console;
    uint8_t text[kMaxCells];
    readRow(m, row, text);
    Cell now[kMaxCells];
    const int n = rowCells(text, c.columns, now);
    if (known && std::memcmp(text, k.text[row], c.columns + 1u) == 0 && !c.smallFont) return;
    Cell before[kMaxCells];
    const int b = known ? rowCells(k.text[row], c.columns, before) : 0;
    int j = 0;
    for (int i = 0; i < n; ++i) {
        while (j < b && before[j].column < now[i].column) ++j;
        const bool intoMargin =
            c.smallFont && now[i].first >= 0x80 && now[i].column + 1u >= c.columns;
        if (j < b && sameGlyph(before[j], now[i]) && !intoMargin) continue;
        drawCell(m, row, now[i]);
    }
    std::memcpy(k.text[row], text, c.columns + 1u);
    k.rowDrawn[row] = true;
}

// The glyph staging area ends as a full render leaves it: each glyph drawn stages its bytes
// over the start of the area, so the last glyph decides its first bytes, an earlier larger one
// the bytes after those, and what no glyph of this render reached keeps what it held before.
void restage(Machine& m, const uint8_t* stagingBefore) {
    const ConsoleState& c = m.console;
    const bool small = c.smallFont != 0;
    uint8_t* staging = &m.mem[kGlyphStaging];
    uint32_t covered = 0;
    uint8_t result[32];
    for (int row = int(c.rows) - 1; row >= 0 && covered < 32; --row) {
        if (c.skipMask & (0x80 >> row)) continue;
        uint8_t text[kMaxCells];
        readRow(m, uint32_t(row), text);
        Cell cells[kMaxCells];
        const int n = rowCells(text, c.columns, cells);
        for (int i = n - 1; i >= 0 && covered < 32; --i) {
            const StagedGlyph g = stagedGlyph(m, small, cells[i].first, cells[i].second);
            for (uint32_t at = covered; at < g.size; ++at) result[at] = g.bytes ? g.bytes[at] : 0;
            if (g.size > covered) covered = g.size;
        }
    }
    std::memcpy(staging, result, covered);
    std::memcpy(staging + covered, stagingBefore + covered, 32 - covered);
}

}  // namespace

void consoleOutput(Machine& m, uint8_t byte) {
    if (m.host) m.host->consoleByte(byte);
    ConsoleState& c = m.console;
    if (c.cursorRow >= c.rows) scroll(m);
    if (byte == '\r') return;
    if (byte == '\n') {
        ++c.cursorRow;
        c.cursorColumn = 0;
        if (c.cursorRow >= c.rows) {
            scroll(m);
        } else {
            c.writeIndex = uint8_t(c.cursorRow * c.columns);
        }
        return;
    }
    if (byte == '\t') byte = ' ';
    // The write index always lies inside the text buffer (at most rows x columns - 1), but keep
    // a damaged state from writing outside it.
    textBuffer(m)[c.writeIndex % kTextBufferSize] = byte;
    ++c.writeIndex;
    if (++c.cursorColumn >= c.columns) {
        c.cursorColumn = 0;
        ++c.cursorRow;  // a scroll, if this was the last row, waits for the next byte
    }
}

// Draws only the glyphs that differ from what the LCD shows since the last render; the pixels,
// the glyph staging area and the drawing state end as a render of every glyph leaves them.
void consoleRender(Machine& m) {
    const ConsoleState& c = m.console;
    ConsoleRenderCache& k = m.consoleCache;
    uint8_t stagingBefore[32];
    std::memcpy(stagingBefore, &m.mem[kGlyphStaging], sizeof stagingBefore);
    const bool known = cacheMatches(m);
    if (!known) std::fill(std::begin(k.rowDrawn), std::end(k.rowDrawn), false);
    if (known && c.skipMask == 0) followScroll(m);
    selectLcd(m);
    if (c.smallFont) clearSmallMargins(m);
    m.draw.mode = kRasterCopy;  // the mirror flag stays as the last WriteBlock or TextOut left it
    for (uint32_t row = 0; row < c.rows && row < uint32_t(ConsoleRenderCache::kMaxRows); ++row) {
        if (c.skipMask & (0x80 >> row)) continue;
        renderRow(m, row, known && k.rowDrawn[row]);
    }
    restage(m, stagingBefore);
    m.console.skipMask = 0;
    k.valid = true;
    k.smallFont = c.smallFont;
    k.columns = c.columns;
    k.rows = c.rows;
    k.mirror = m.draw.mirror;
    k.fonts = m.fonts;
    std::memcpy(k.lcd, &m.mem[kLcdScreen], kBitmapSize);
}

// Draws every glyph of every row that is not skipped, whatever the LCD shows.
void consoleRenderAll(Machine& m) {
    m.consoleCache.valid = false;
    consoleRender(m);
}

void sys_putchar(Machine& m) {
    consoleOutput(m, popByte(m));
    consoleRender(m);
}

void sys_SetScreen(Machine& m) {
    ConsoleState& c = m.console;
    const bool small = popByte(m) != 0;
    c.smallFont = small ? 1 : 0;
    c.columns = small ? kSmallColumns : kLargeColumns;
    c.rows = small ? kSmallRows : kLargeRows;
    c.cursorColumn = 0;
    c.cursorRow = 0;
    c.writeIndex = 0;
    std::memset(textBuffer(m), 0, kTextBufferSize);
}

void sys_UpdateLCD(Machine& m) {
    m.console.skipMask = popByte(m);
    consoleRender(m);
}

void sys_Locate(Machine& m) {
    ConsoleState& c = m.console;
    uint8_t column = popByte(m);
    uint8_t row = popByte(m);
    if (column >= c.columns) column = uint8_t(c.columns - 1);
    if (row >= c.rows) row = uint8_t(c.rows - 1);
    c.cursorColumn = column;
    c.cursorRow = row;
    c.writeIndex = uint8_t(row * c.columns + column);
}

}  // namespace corvane
