// Glyph lookup, the glyph staging area and TextOut.

#include <cstring>
#include <filesystem>

#include "display/fonts.h"
#include "display/text.h"
#include "display_fixture.h"
#include "support/build_paths.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

constexpr uint16_t kText = 0x3000;

// Draws `s` with TextOut and the given type at (x, y).
void textOut(DisplayMachine& d, int x, int y, const std::string& s, uint32_t type) {
    d.putString(kText, s);
    d.call(sys_TextOut, {uint32_t(x), uint32_t(y), kText, type});
}

// True when the LCD rectangle at (x, y) equals the back-buffer rectangle at (bx, by).
bool sameArea(const DisplayMachine& d, int x, int y, int bx, int by, int w, int h) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (d.lcd(x + i, y + j) != d.back(bx + i, by + j)) return false;
    return true;
}

TEST(Glyphs, DoubleByteIndex) {
    struct Case {
        uint8_t first, second;
        int32_t index;
    } cases[] = {{0xA1, 0xA1, 0},   {0xA9, 0xFE, 845},        {0xB0, 0xA1, 846}, {0xF7, 0xFE, 7613},
                 {0xAA, 0xA1, 846}, {0xAF, 0xA2, 14 * 94 + 1}};  // rows 0xAA-0xAF alias 0xB0-0xB5
    for (const Case& c : cases) EXPECT_EQ(hanziIndex(c.first, c.second), c.index);
}

// Each glyph passes through the staging area; the bytes past its size keep their value.
TEST(Glyphs, StagingAreaHoldsTheLastGlyph) {
    struct Case {
        std::string text;
        uint32_t type;
        const uint8_t* glyph;
        uint32_t bytes;
    };
    DisplayMachine d;
    const FontTables& f = *d.font;
    const Case cases[] = {
        {"A", 0x01, &f.smallAscii[0x41 * 12], 12},
        {"zA", 0x81, &f.largeAscii[0x41 * 16], 16},
        {"\xB0\xA1", 0x01, &f.smallHanzi[846 * 24], 24},
        {"\xAA\xA1", 0x81, &f.largeHanzi[846 * 32], 32},
        {"\xF7\xFE", 0x81, &f.largeHanzi[7613 * 32], 32},
    };
    for (const Case& c : cases) {
        std::memset(&d.m.mem[kGlyphStaging], 0xEE, 32);
        textOut(d, 0, 0, c.text, c.type);
        EXPECT_EQ(std::memcmp(&d.m.mem[kGlyphStaging], c.glyph, c.bytes), 0) << c.text;
        for (uint32_t k = c.bytes; k < 32; ++k) EXPECT_EQ(d.m.mem[kGlyphStaging + k], 0xEE);
    }
}

TEST(TextOut, ClipsAtTheRightEdgeAndStartsNothingPastIt) {
    DisplayMachine d;
    textOut(d, 150, 3, "AB", 0x41);
    textOut(d, 0, 3, "AB", 0x01);  // reference copy in the back buffer
    EXPECT_TRUE(sameArea(d, 150, 3, 0, 3, 10, 12));
    EXPECT_EQ(d.lcdCount(), [&] {
        int n = 0;
        for (int y = 3; y < 15; ++y)
            for (int x = 0; x < 10; ++x) n += d.back(x, y);
        return n;
    }());

    DisplayMachine e;
    textOut(e, 160, 0, "AB", 0x6F);
    EXPECT_EQ(e.lcdCount(), 0);
    EXPECT_TRUE(e.m.draw.mirror);  // the state is set even when nothing is drawn
    EXPECT_EQ(e.m.draw.mode, 0x0F);
}

TEST(TextOut, TargetsAndSizes) {
    DisplayMachine d;
    textOut(d, 0, 0, "A", 0x41);   // small, LCD
    textOut(d, 0, 20, "A", 0x81);  // large, back buffer
    bool smallRow12 = false, largeRow12 = false;
    for (int x = 0; x < 8; ++x) smallRow12 |= d.lcd(x, 12), largeRow12 |= d.back(x, 32);
    EXPECT_FALSE(smallRow12);  // 12 rows high
    EXPECT_TRUE(largeRow12);   // 16 rows high
    EXPECT_EQ(pictureOf(d.m, kGraphicsBuffer).px[0], 0);
}

TEST(TextOut, RasterOperationsOverADarkBackground) {
    for (uint32_t op : {0x03u, 0x05u}) {
        DisplayMachine d;
        d.call(sys_Block, {0, 0, 159, 79, 0x41});
        textOut(d, 10, 10, "A", 0x40 | op);
        textOut(d, 10, 10, "A", 0x01);  // the glyph alone in the back buffer
        for (int j = 0; j < 12; ++j)
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(d.lcd(10 + i, 10 + j), op == 3 ? true : !d.back(10 + i, 10 + j));
    }
}

TEST(TextOut, MirrorsOnlyEightAndSixteenPixelGlyphs) {
    struct Case {
        std::string text;
        uint32_t type;
        int width, height;
        bool mirrored;
    } cases[] = {{"A", 0xA1, 8, 16, true},
                 {"\xB0\xA1", 0xA1, 16, 16, true},
                 {"A", 0x21, 6, 12, false},
                 {"\xB0\xA1", 0x21, 12, 12, false}};
    for (const Case& c : cases) {
        DisplayMachine d;
        textOut(d, 20, 0, c.text, c.type | 0x40);
        textOut(d, 20, 0, c.text, c.type & ~0x20u);
        for (int j = 0; j < c.height; ++j)
            for (int i = 0; i < c.width; ++i)
                EXPECT_EQ(d.lcd(20 + i, j), d.back(20 + (c.mirrored ? c.width - 1 - i : i), j))
                    << c.text << " type " << c.type;
    }
}

TEST(TextOut, MissingGlyphsDrawBlankCellsAndAdvance) {
    struct Case {
        const char* what;
        std::string text;
        bool withFont;
        int blankWidth;
    } cases[] = {{"no glyph for the pair", "\x80\x41", true, 12},
                 {"no glyph for the pair", "\xF8\xA1", true, 12},
                 {"no font tables", "\xB0\xA1", false, 12},
                 {"no font tables", "AA", false, 12}};
    for (const Case& c : cases) {
        DisplayMachine d;
        if (!c.withFont) d.m.fonts = nullptr;
        d.call(sys_Block, {0, 0, 159, 79, 0x41});
        textOut(d, 4, 4, c.text + "C", 0x41);
        textOut(d, 0, 0, "C", 0x01);
        for (int j = 0; j < 12; ++j)
            for (int i = 0; i < c.blankWidth; ++i) EXPECT_FALSE(d.lcd(4 + i, 4 + j)) << c.what;
        if (c.withFont) {
            EXPECT_TRUE(sameArea(d, 4 + c.blankWidth, 4, 0, 0, 6, 12)) << c.what;
        }
    }
}

TEST(TextOut, LeadByteBeforeTheTerminatorTakesItAndWalksOn) {
    DisplayMachine d;
    const uint8_t bytes[] = {'A', 0xB0, 0, 'C', 0};
    std::memcpy(&d.m.mem[kText], bytes, sizeof bytes);
    d.call(sys_TextOut, {0, 0, kText, 0x41});
    textOut(d, 0, 20, "C", 0x01);
    EXPECT_TRUE(sameArea(d, 18, 0, 0, 20, 6, 12));  // 'C' after a 6- and a 12-pixel advance
    EXPECT_EQ(std::memcmp(&d.m.mem[kGlyphStaging], &d.font->smallAscii['C' * 12], 12), 0);
}

// Rendered text with the font data file the build generates.
TEST(TextGolden, RealFontBothSizesAndMirrored) {
    const std::string path = std::string(corvane::test::binDir()) + "/duzezi.dat";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no font data file at " << path;
    auto fonts = std::make_unique<FontTables>();
    ASSERT_TRUE(loadFontFile(path, *fonts));
    DisplayMachine d;
    d.m.fonts = fonts.get();
    textOut(d, 0, 0, "Corvane 0123 \xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7", 0x41);
    textOut(d, 0, 14, "\xD6\xD0\xCE\xC4\xCF\xD4\xCA\xBE Text", 0xC1);
    textOut(d, 0, 32, "Mirror \xBA\xBA\xD7\xD6", 0xE1);
    d.call(sys_Block, {0, 50, 159, 79, 0x41});
    textOut(d, 2, 52, "xor \xC6\xC1\xC4\xBB", 0xC5);
    textOut(d, 120, 64, "clip\xB2\xE2\xCA\xD4", 0x42);  // not: inverse, cut at column 159
    expectLcdGolden(d.m, "text_real_font");
}

}  // namespace
}  // namespace corvane::test
