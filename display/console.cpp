// The console text screen: a grid of characters in the text buffer of VmMemory, a cursor that
// advances and scrolls, and a render that repaints the LCD screen memory from the buffer.

#include "display/console.h"

#include <cstring>

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

void renderRow(Machine& m, uint32_t row) {
    const ConsoleState& c = m.console;
    const bool small = c.smallFont != 0;
    const uint32_t start = kTextBuffer + row * c.columns;
    const uint8_t y = small ? uint8_t(13 * row + 1) : uint8_t(16 * row);
    uint32_t col = 0;
    while (col < c.columns) {
        const uint8_t x = small ? uint8_t(6 * col + 2) : uint8_t(8 * col);
        const uint8_t b = m.read8(start + col);
        if (b < 0x80) {
            small ? drawSmallAscii(m, x, y, b) : drawLargeAscii(m, x, y, b);
            col += 1;
        } else {
            // The pair is formed by buffer position: a first byte in the last column takes its
            // second byte from the start of the next row (or the byte after the buffer's last
            // row), and its glyph is cut at the right edge.
            const uint8_t b2 = m.read8(start + col + 1);
            small ? drawSmallHanzi(m, x, y, b, b2) : drawLargeHanzi(m, x, y, b, b2);
            col += 2;
        }
    }
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

void consoleRender(Machine& m) {
    const ConsoleState& c = m.console;
    selectLcd(m);
    if (c.smallFont) clearSmallMargins(m);
    m.draw.mode = kRasterCopy;  // the mirror flag stays as the last WriteBlock or TextOut left it
    for (uint32_t row = 0; row < c.rows; ++row) {
        if (c.skipMask & (0x80 >> row)) continue;
        renderRow(m, row);
    }
    m.console.skipMask = 0;
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
