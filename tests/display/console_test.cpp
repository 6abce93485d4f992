// Console output, scrolling, Locate, SetScreen and the console render.

#include <cstring>
#include <filesystem>

#include "display/console.h"
#include "display/fonts.h"
#include "display_fixture.h"
#include "support/build_paths.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

std::string textRow(const DisplayMachine& d, int row) {
    const int columns = d.m.console.columns;
    return std::string(reinterpret_cast<const char*>(&d.m.mem[kTextBuffer + row * columns]),
                       columns);
}

void write(DisplayMachine& d, const std::string& s) {
    for (char c : s) consoleOutput(d.m, uint8_t(c));
}

TEST(Console, OutputAndScrolling) {
    struct Case {
        const char* what;
        bool small;
        std::string text;  // written after Locate to the last row
        int row, column, writeIndex;
        std::string lastRow;  // its first characters
        std::string rowAbove;
    } cases[] = {
        {"a full last row waits to scroll", false, std::string(20, 'a'), 5, 0, 100, "aaaa", "L3"},
        {"the next byte scrolls first", false, std::string(20, 'a') + "b", 4, 1, 81, "b   ",
         "aaaa"},
        {"line feed on the last row scrolls", false, "xy\n", 4, 0, 80, "    ", "xy"},
        {"carriage return only scrolls", false, std::string(20, 'a') + "\r", 4, 0, 80, "    ",
         "aaaa"},
        {"tab is one space", false, "\tz", 4, 2, 82, " z", "L3"},
        {"small console", true, std::string(26, 'a') + "b", 5, 1, 131, "b   ", "aaaa"},
        {"small console line feed", true, "q\n", 5, 0, 130, "    ", "q"},
    };
    for (const Case& c : cases) {
        DisplayMachine d;
        d.call(sys_SetScreen, {c.small ? 1u : 0u});
        const int last = d.m.console.rows - 1;
        for (int r = 0; r < last; ++r) {
            d.call(sys_Locate, {uint32_t(r), 0});
            write(d, "L" + std::to_string(r));
        }
        d.call(sys_Locate, {uint32_t(last), 0});
        write(d, c.text);
        EXPECT_EQ(d.m.console.cursorRow, c.row) << c.what;
        EXPECT_EQ(d.m.console.cursorColumn, c.column) << c.what;
        EXPECT_EQ(d.m.console.writeIndex, c.writeIndex) << c.what;
        const bool scrolled = c.row == last && c.rowAbove != "L3";
        EXPECT_EQ(textRow(d, last).substr(0, c.lastRow.size()), c.lastRow) << c.what;
        EXPECT_EQ(textRow(d, last - 1).substr(0, c.rowAbove.size()), c.rowAbove) << c.what;
        EXPECT_EQ(textRow(d, 0).substr(0, 2), scrolled ? "L1" : "L0") << c.what;
    }
}

TEST(Console, LocateClamps) {
    struct Case {
        uint32_t screen, row, column;
        int wantRow, wantColumn, wantIndex;
    } cases[] = {{0, 10, 30, 4, 19, 99},
                 {1, 10, 30, 5, 25, 155},
                 {0, 2, 3, 2, 3, 43},
                 {1, 0x102, 3, 2, 3, 55}};
    for (const Case& c : cases) {
        DisplayMachine d;
        d.call(sys_SetScreen, {c.screen});
        d.call(sys_Locate, {c.row, c.column});
        EXPECT_EQ(d.m.console.cursorRow, c.wantRow);
        EXPECT_EQ(d.m.console.cursorColumn, c.wantColumn);
        EXPECT_EQ(d.m.console.writeIndex, c.wantIndex);
    }
}

TEST(Console, SetScreenEmptiesTheTextButNotTheLcd) {
    DisplayMachine d;
    d.call(sys_Block, {0, 0, 159, 79, 0x41});
    d.call(sys_putchar, {'Q'});
    const Picture before = pictureOf(d.m, kLcdScreen);
    d.call(sys_SetScreen, {7});
    EXPECT_EQ(d.m.console.columns, 26);
    EXPECT_EQ(d.m.console.rows, 6);
    EXPECT_EQ(d.m.console.writeIndex, 0);
    for (int k = 0; k < kTextBufferSize; ++k) EXPECT_EQ(d.m.mem[kTextBuffer + k], 0);
    EXPECT_EQ(pictureOf(d.m, kLcdScreen), before);
}

// Small console: cell (r, c) at (6c + 2, 13r + 1); separators and margins are cleared.
TEST(Console, SmallLayoutCellsAndMargins) {
    DisplayMachine d;
    d.call(sys_Block, {0, 0, 159, 79, 0x41});
    d.call(sys_SetScreen, {1});
    d.call(sys_putchar, {'A'});
    const Picture lcd = pictureOf(d.m, kLcdScreen);
    const uint8_t* font = d.font->smallAscii.data();
    for (auto [x, y, code] : {std::tuple{2, 1, 'A'}, {8, 14, 0}, {152, 66, 0}})
        for (int j = 0; j < 12; ++j)
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(lcd.at(x + i, y + j), (font[code * 12 + j] >> (7 - i)) & 1);
    for (int x = 0; x < 160; ++x)
        for (int y : {0, 13, 26, 39, 52, 65, 78, 79}) EXPECT_EQ(lcd.at(x, y), 0);
    for (int y = 0; y < 80; ++y)
        for (int x : {0, 1, 158, 159}) EXPECT_EQ(lcd.at(x, y), 0);
}

TEST(Console, RowSkipMaskAndOverwrittenGraphics) {
    DisplayMachine d;
    d.call(sys_Box, {0, 0, 159, 79, 1, 1});
    d.call(sys_UpdateLCD, {0x80});  // row 0 (pixel rows 0-15) stays dark
    EXPECT_EQ(d.m.console.skipMask, 0);
    const Picture lcd = pictureOf(d.m, kLcdScreen);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 160; ++x) EXPECT_EQ(lcd.at(x, y), 1);
    d.call(sys_Box, {0, 0, 159, 79, 1, 1});
    d.call(sys_UpdateLCD, {0x00});
    EXPECT_LT(d.lcdCount(), 160 * 80 / 2);  // every cell repainted with the "00" glyph
    const int empty = d.lcdCount();
    d.call(sys_Box, {0, 0, 159, 79, 1, 1});
    d.call(sys_putchar, {0});  // stores a zero byte, which draws like the empty cells
    EXPECT_EQ(d.lcdCount(), empty);
}

// A lead byte in the last column pairs with the first byte of the next row; both rows still
// begin their own walk.
TEST(Console, DoubleBytePairingFollowsBufferPositions) {
    DisplayMachine d;
    d.call(sys_Locate, {0, 19});
    d.call(sys_putchar, {0xB0});
    d.call(sys_putchar, {0xA1});
    EXPECT_EQ(d.m.mem[kTextBuffer + 19], 0xB0);
    EXPECT_EQ(d.m.mem[kTextBuffer + 20], 0xA1);
    // Reference: the pair (B0, A1) at (152, 0), and the pair (A1, 00) at (0, 16).
    d.putString(0x3000, "\xB0\xA1");
    d.call(sys_TextOut, {152, 0, 0x3000, 0x81});
    d.putString(0x3000, "\xA1");
    d.call(sys_TextOut, {0, 16, 0x3000, 0x81});
    for (auto [x, y, w] : {std::tuple{152, 0, 8}, {0, 16, 16}})
        for (int j = 0; j < 16; ++j)
            for (int i = 0; i < w; ++i) EXPECT_EQ(d.lcd(x + i, y + j), d.back(x + i, y + j));
}

TEST(Console, GlyphsFollowTheMirrorFlag) {
    DisplayMachine d;
    d.putString(0x3000, "");
    d.call(sys_TextOut, {0, 0, 0x3000, 0x20});  // sets the mirror flag, draws nothing
    d.call(sys_putchar, {'7'});
    d.putString(0x3000, "7");
    d.call(sys_TextOut, {0, 0, 0x3000, 0x81});  // unmirrored reference in the back buffer
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 8; ++i) EXPECT_EQ(d.lcd(i, j), d.back(7 - i, j));
}

TEST(ConsoleGolden, ScrollingInBothLayouts) {
    for (uint32_t small : {0u, 1u}) {
        DisplayMachine d;
        d.call(sys_SetScreen, {small});
        write(d, "Line 1\nLine 2\tTab\nLine 3\r\n");
        write(d, std::string(small ? 30 : 25, '#'));
        write(d, "\nLine 6\nLast\xB0");  // a lead byte pairs with what follows it
        consoleRender(d.m);
        expectLcdGolden(d.m, small ? "console_small_scrolled" : "console_large_scrolled");
    }
}

TEST(ConsoleGolden, RealFontSmallConsole) {
    const std::string path = std::string(corvane::test::binDir()) + "/duzezi.dat";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no font data file at " << path;
    auto fonts = std::make_unique<FontTables>();
    ASSERT_TRUE(loadFontFile(path, *fonts));
    DisplayMachine d;
    d.m.fonts = fonts.get();
    d.call(sys_SetScreen, {1});
    write(d, "Console \xD6\xD0\xCE\xC4\xCF\xD4\xCA\xBE\nabcdefghijklmnopqrstuvwxyz");
    write(d, "0123456789 \xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7");
    consoleRender(d.m);
    expectLcdGolden(d.m, "console_small_real_font");
}

}  // namespace
}  // namespace corvane::test
