// The LCD as character cells, and writing only what changed.
#include <gtest/gtest.h>

#include <string>

#include "host/platform/tty/cells.h"
#include "host/platform/tty/tty_platform.h"
#include "shared/face/face_layout.h"

namespace corvane {
namespace {

constexpr Rgb kInk{0, 0, 0};
constexpr Rgb kPaper{0, 192, 0};

LcdPixels blank() {
    LcdPixels p;
    p.fill(kPaper);
    return p;
}

void set(LcdPixels& p, int x, int y, Rgb c = kInk) {
    p[size_t(y * kTtyPixelsWide + x)] = c;
}

TEST(TerminalCells, TheDrawingFollowsTheTerminalsSize) {
    struct Case {
        TerminalSize size;
        bool fits;
        CellMode mode;
    } cases[] = {
        {{160, 40}, true, CellMode::HalfBlocks}, {{200, 60}, true, CellMode::HalfBlocks},
        {{159, 60}, true, CellMode::Braille},    {{160, 39}, true, CellMode::Braille},
        {{80, 20}, true, CellMode::Braille},     {{79, 40}, false, CellMode::Braille},
        {{100, 19}, false, CellMode::Braille},   {{0, 0}, false, CellMode::Braille},
    };
    for (const Case& c : cases) {
        CellMode mode = CellMode::HalfBlocks;
        EXPECT_EQ(chooseCellMode(c.size, mode), c.fits) << c.size.columns << "x" << c.size.rows;
        if (c.fits) {
            EXPECT_EQ(mode, c.mode) << c.size.columns << "x" << c.size.rows;
        }
    }
}

TEST(TerminalCells, PixelsLandInTheirCells) {
    LcdPixels p = blank();
    set(p, 0, 0);                // half-blocks: upper half of cell (0, 0)
    set(p, 1, 1);                // lower half of cell (1, 0)
    set(p, 2, 0), set(p, 2, 1);  // both halves of cell (2, 0)
    set(p, 159, 79);             // the last pixel: lower half of the last cell
    const CellFrame half = makeCells(p, CellMode::HalfBlocks, ColorDepth::None);
    ASSERT_EQ(half.columns, 160);
    ASSERT_EQ(half.rows, 40);
    EXPECT_EQ(half.at(0, 0).glyph, U'▀');
    EXPECT_EQ(half.at(1, 0).glyph, U'▄');
    EXPECT_EQ(half.at(2, 0).glyph, U'█');
    EXPECT_EQ(half.at(3, 0).glyph, U' ');
    EXPECT_EQ(half.at(159, 39).glyph, U'▄');

    // Braille: dots 1 and 5 of cell (0, 0), dot 8 of the last cell.
    const CellFrame braille = makeCells(p, CellMode::Braille, ColorDepth::None);
    ASSERT_EQ(braille.columns, 80);
    ASSERT_EQ(braille.rows, 20);
    EXPECT_EQ(braille.at(0, 0).glyph, char32_t(0x2800 + 0x01 + 0x10));
    EXPECT_EQ(braille.at(1, 0).glyph, char32_t(0x2800 + 0x01 + 0x02));
    EXPECT_EQ(braille.at(79, 19).glyph, char32_t(0x2800 + 0x80));

    // In colour a half-block cell carries both pixels' colours.
    const Rgb red{255, 0, 0};
    set(p, 5, 2, red);
    const CellFrame colour = makeCells(p, CellMode::HalfBlocks, ColorDepth::TrueColor);
    EXPECT_EQ(colour.at(5, 1).fg, red);
    EXPECT_EQ(colour.at(5, 1).bg, kPaper);
    EXPECT_EQ(colour.at(2, 0).fg, kInk);
}

TEST(TerminalCells, OnlyChangedCellsAreWrittenAgain) {
    LcdPixels p = blank();
    const CellFrame before = makeCells(p, CellMode::HalfBlocks, ColorDepth::None);
    // Nothing changed: nothing written.
    EXPECT_EQ(drawCells(before, before, 2, 5, ColorDepth::None), "");
    set(p, 10, 3);  // cell (10, 1)
    set(p, 12, 3);  // cell (12, 1)
    set(p, 13, 3);  // cell (13, 1): right after the one before, no cursor move
    const CellFrame after = makeCells(p, CellMode::HalfBlocks, ColorDepth::None);
    EXPECT_EQ(drawCells(before, after, 2, 5, ColorDepth::None), "\x1b[4;16H▄\x1b[4;18H▄▄");
    // Nothing shown before (another mode): every cell.
    const std::string all = drawCells(CellFrame(), after, 0, 0, ColorDepth::None);
    EXPECT_EQ(all.find("\x1b[1;1H"), 0u);
    EXPECT_NE(all.find("\x1b[40;1H"), std::string::npos);
    // Colours are set once for a run of cells of the same colours, and reset at the end.
    const CellFrame c0 = makeCells(blank(), CellMode::HalfBlocks, ColorDepth::Palette256);
    const CellFrame c1 = makeCells(p, CellMode::HalfBlocks, ColorDepth::Palette256);
    EXPECT_EQ(drawCells(c0, c1, 0, 0, ColorDepth::Palette256),
              "\x1b[2;11H\x1b[38;5;34m\x1b[48;5;16m▀\x1b[2;13H▀▀\x1b[0m");
}

TEST(TerminalCells, PaletteAndColourDepth) {
    struct Case {
        Rgb c;
        int index;
    } cases[] = {
        {{0, 0, 0}, 16},        {{255, 255, 255}, 231}, {{0, 192, 0}, 34},
        {{128, 128, 128}, 244}, {{255, 0, 0}, 196},     {{95, 135, 175}, 67},
    };
    for (const Case& c : cases) EXPECT_EQ(palette256(c.c), c.index) << int(c.c.r);

    struct Env {
        const char* term;
        const char* colorTerm;
        const char* noColor;
        ColorDepth depth;
    } envs[] = {
        {"xterm-256color", "truecolor", nullptr, ColorDepth::TrueColor},
        {"xterm-256color", nullptr, nullptr, ColorDepth::Palette256},
        {"tmux-256color", "", "", ColorDepth::Palette256},
        {"xterm-256color", "truecolor", "1", ColorDepth::None},
        {"dumb", "truecolor", nullptr, ColorDepth::None},
        {"vt100", nullptr, nullptr, ColorDepth::None},
        {nullptr, nullptr, nullptr, ColorDepth::None},
    };
    for (const Env& e : envs)
        EXPECT_EQ(colorDepthFromEnvironment(e.term, e.colorTerm, e.noColor), e.depth)
            << (e.term ? e.term : "(none)");
}

TEST(TerminalCells, TheLcdIsSampledWhereTheWindowShowsIt) {
    // A window image with LCD pixel (x, y) painted as the host paints it: a 2 x 2 block whose
    // lower row is the pixel's own (the upper one goes dark with interlaced scanning).
    RgbImage window(kWindowWidth, kWindowHeight);
    auto paint = [&](int x, int y, Rgb c) {
        uint8_t* d = window.at(54 + 2 * x, kLcdAreaTop + 1 + 2 * y);
        d[0] = c.r, d[1] = c.g, d[2] = c.b;
    };
    paint(0, 0, {1, 2, 3});
    paint(159, 79, {4, 5, 6});
    paint(7, 40, {7, 8, 9});
    LcdPixels p;
    sampleLcd(window, p);
    EXPECT_EQ(p[0], (Rgb{1, 2, 3}));
    EXPECT_EQ(p[size_t(79 * 160 + 159)], (Rgb{4, 5, 6}));
    EXPECT_EQ(p[size_t(40 * 160 + 7)], (Rgb{7, 8, 9}));
    EXPECT_EQ(p[1], (Rgb{}));
}

}  // namespace
}  // namespace corvane
