// Pixel layout, raster operations and the block blit.

#include "display/screen.h"
#include "display_fixture.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

TEST(ScreenModel, PixelAddressesAndMasks) {
    struct Case {
        int x, y;
        uint16_t address;
        uint8_t mask;
    } cases[] = {{0, 0, 0x18C0, 0x80},
                 {1, 0, 0x18C0, 0x40},
                 {159, 79, 0x1EFF, 0x01},
                 {8, 1, 0x18C0 + 21, 0x80},
                 {9, 0, 0x18C1, 0x40}};
    for (const Case& c : cases) {
        DisplayMachine d;
        d.call(sys_Point, {uint32_t(c.x), uint32_t(c.y), 1});  // bit 6 clear: the LCD
        EXPECT_EQ(d.m.mem[c.address], c.mask) << c.x << "," << c.y;
        EXPECT_EQ(d.lcdCount(), 1);
        EXPECT_EQ(d.result(sys_GetPoint, {uint32_t(c.x), uint32_t(c.y)}), c.mask);
    }
    DisplayMachine d;
    d.call(sys_Point, {160, 0, 1});
    d.call(sys_Point, {0, 80, 1});
    EXPECT_EQ(d.lcdCount(), 0);
}

TEST(ScreenModel, ModePlotModes) {
    // mode, pixel before -> pixel after
    const int table[4][2] = {{0, 0}, {1, 1}, {1, 0}, {0, 1}};
    for (int mode = 0; mode < 4; ++mode) {
        for (int before = 0; before < 2; ++before) {
            DisplayMachine d;
            if (before) d.call(sys_Point, {3, 3, 1});
            d.call(sys_Point, {3, 3, uint32_t(mode)});
            EXPECT_EQ(d.lcd(3, 3), table[mode][before]) << "mode " << mode;
        }
    }
}

// Every raster operation against every (pixel, source) pair, drawn with a 1 x 1 WriteBlock.
TEST(ScreenModel, RasterOperations) {
    // Result for (pixel, source) = (0,0), (0,1), (1,0), (1,1).
    struct Case {
        uint8_t op;
        int out[4];
    } cases[] = {
        {0x00, {0, 1, 0, 1}}, {0x01, {0, 1, 0, 1}}, {0x06, {0, 1, 0, 1}}, {0x07, {0, 1, 0, 1}},
        {0x02, {1, 0, 1, 0}}, {0x0A, {1, 0, 1, 0}}, {0x09, {1, 0, 1, 0}}, {0x03, {0, 1, 1, 1}},
        {0x0B, {1, 0, 1, 1}}, {0x04, {0, 0, 0, 1}}, {0x0C, {0, 0, 1, 0}}, {0x05, {0, 1, 1, 0}},
        {0x0D, {1, 0, 0, 1}}, {0x08, {1, 0, 1, 0}}, {0x0E, {1, 0, 1, 0}}, {0x0F, {1, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        for (int k = 0; k < 4; ++k) {
            DisplayMachine d;
            const int pixel = k >> 1, source = k & 1;
            d.m.mem[0x3000] = source ? 0x80 : 0x00;
            if (pixel) d.call(sys_Point, {5, 5, 1});
            d.call(sys_WriteBlock, {5, 5, 1, 1, uint32_t(0x40 | c.op), 0x3000});
            EXPECT_EQ(d.lcd(5, 5), c.out[k])
                << "op " << int(c.op) << " pixel " << pixel << " source " << source;
        }
    }
}

TEST(ScreenModel, BlockWidthMirrorAndWrap) {
    struct Case {
        const char* what;
        uint8_t x, y, w, h, type;
        std::vector<uint8_t> image;
        std::vector<std::pair<int, int>> lit;
    } cases[] = {
        {"width 6 ignores the low bits",
         0,
         0,
         6,
         1,
         0x41,
         {0xFF},
         {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}},
        {"width 16 mirrored", 20, 0, 16, 1, 0x61, {0xC0, 0x00}, {{34, 0}, {35, 0}}},
        {"width 12 never mirrored", 20, 0, 12, 1, 0x61, {0xC0, 0x00}, {{20, 0}, {21, 0}}},
        {"x wraps at 256", 250, 0, 16, 1, 0x41, {0x00, 0xC1}, {{2, 0}, {3, 0}, {9, 0}}},
        {"y wraps at 256", 0, 254, 8, 4, 0x41, {0x01, 0x02, 0x80, 0x40}, {{0, 0}, {1, 1}}},
        {"rows past 79 are cut", 0, 78, 8, 4, 0x41, {0x80, 0x40, 0x20, 0x10}, {{0, 78}, {1, 79}}},
    };
    for (const Case& c : cases) {
        DisplayMachine d;
        for (size_t i = 0; i < c.image.size(); ++i) d.m.mem[0x3000 + i] = c.image[i];
        d.call(sys_WriteBlock, {c.x, c.y, c.w, c.h, c.type, 0x3000});
        EXPECT_EQ(d.lcdCount(), int(c.lit.size())) << c.what;
        for (auto [x, y] : c.lit) EXPECT_TRUE(d.lcd(x, y)) << c.what << " at " << x << "," << y;
    }
}

TEST(ScreenModel, BlockIsCopiedBeforeDrawingAndWrapsAtTheEndOfMemory) {
    // The image is the LCD's own row 0: shifted down by one row in copy mode it must repeat the
    // original row, not a row it has just drawn.
    DisplayMachine d;
    d.m.mem[kLcdScreen] = 0xA5;
    d.call(sys_WriteBlock, {0, 1, 8, 3, 0x41, kLcdScreen});
    EXPECT_EQ(d.m.mem[kLcdScreen + 20], 0xA5);
    EXPECT_EQ(d.m.mem[kLcdScreen + 40], 0x00);  // the original row 1, not the copy of row 0

    // An image starting at 0xFFFF continues at 0x0000.
    d.m.mem[0xFFFF] = 0x80;
    d.m.mem[0x0000] = 0x01;
    d.call(sys_WriteBlock, {0, 10, 8, 2, 0x41, 0xFFFF});
    EXPECT_TRUE(d.lcd(0, 10));
    EXPECT_TRUE(d.lcd(7, 11));
}

TEST(ScreenModel, MirrorFlagPersistsUntilWriteBlockOrTextOutClearsIt) {
    DisplayMachine d;
    d.m.mem[0x3000] = 0x80;
    d.call(sys_WriteBlock, {0, 0, 8, 1, 0x61, 0x3000});  // mirrored: pixel 7
    d.call(sys_Line, {0, 5, 10, 5, 1});                  // drawing calls keep the flag
    d.call(sys_WriteBlock, {0, 1, 8, 1, 0x41, 0x3000});  // cleared: pixel 0
    EXPECT_TRUE(d.lcd(7, 0));
    EXPECT_TRUE(d.lcd(0, 1));
    EXPECT_FALSE(d.m.draw.mirror);
}

}  // namespace
}  // namespace corvane::test
