// WriteBlock, GetBlock, Refresh, ClearScreen and XDraw.

#include <cstring>

#include "display_fixture.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

constexpr uint16_t kImage = 0x3000;

// An asymmetric picture in the back buffer: a filled ellipse, a line and an L in one corner.
void drawPattern(DisplayMachine& d) {
    d.call(sys_Line, {3, 2, 150, 70, 0x41});
    d.call(sys_Block, {1, 1, 30, 5, 0x01});
    d.call(sys_Block, {1, 1, 5, 40, 0x01});
    d.call(sys_Rectangle, {100, 10, 140, 30, 0x01});
    d.call(sys_Point, {0, 79, 0x41});
    d.call(sys_Point, {159, 0, 0x41});
}

TEST(WriteBlock, CopyAndXor) {
    DisplayMachine d;
    d.m.mem[kImage] = 0xFF;
    d.m.mem[kImage + 1] = 0x81;
    d.call(sys_Block, {0, 1, 20, 1, 0x41});  // row 1 dark, so copy must clear pixels 1-6
    d.call(sys_WriteBlock, {0, 0, 8, 2, 0x41, kImage});
    EXPECT_EQ(d.m.mem[kLcdScreen], 0xFF);
    EXPECT_EQ(d.m.mem[kLcdScreen + 20], 0x81);
    EXPECT_EQ(d.m.mem[kLcdScreen + 21], 0xFF);  // outside the block: unchanged

    const Picture before = pictureOf(d.m, kLcdScreen);
    d.call(sys_WriteBlock, {3, 0, 8, 2, 0x45, kImage});
    EXPECT_NE(pictureOf(d.m, kLcdScreen), before);
    d.call(sys_WriteBlock, {3, 0, 8, 2, 0x45, kImage});
    EXPECT_EQ(pictureOf(d.m, kLcdScreen), before);
}

TEST(GetBlock, ByteGeometry) {
    DisplayMachine d;
    for (int k = 0; k < kBitmapSize; ++k) d.m.mem[kGraphicsBuffer + k] = uint8_t(k * 7 + 1);
    struct Case {
        const char* what;
        uint32_t x, y, w, h;
        uint32_t rowBytes, rows;
        uint16_t source;
    } cases[] = {
        {"x rounds down to a byte", 13, 2, 16, 3, 2, 3, kGraphicsBuffer + 41},
        {"width 12 copies one byte a row", 0, 0, 12, 2, 1, 2, kGraphicsBuffer},
        {"width 7 copies nothing", 0, 0, 7, 2, 0, 2, kGraphicsBuffer},
        {"height 0 copies 256 rows", 8, 0, 8, 0, 1, 256, kGraphicsBuffer + 1},
        {"no clipping past the bitmap", 200, 90, 16, 2, 2, 2, kGraphicsBuffer + 1825},
    };
    for (const Case& c : cases) {
        std::memset(&d.m.mem[kImage], 0xEE, 600);
        d.call(sys_GetBlock, {c.x, c.y, c.w, c.h, 0x00, kImage});
        uint32_t k = 0;
        for (uint32_t j = 0; j < c.rows; ++j)
            for (uint32_t i = 0; i < c.rowBytes; ++i, ++k)
                ASSERT_EQ(d.m.mem[kImage + k], d.m.read8(c.source + 20 * j + i)) << c.what;
        EXPECT_EQ(d.m.mem[kImage + k], 0xEE) << c.what << ": wrote past its rows";
    }
}

TEST(GetBlock, DestinationWrapsAtTheEndOfMemory) {
    DisplayMachine d;
    d.m.mem[kLcdScreen] = 0x12;
    d.m.mem[kLcdScreen + 1] = 0x34;
    d.call(sys_GetBlock, {0, 0, 16, 1, 0x40, 0xFFFF});
    EXPECT_EQ(d.m.mem[0xFFFF], 0x12);
    EXPECT_EQ(d.m.mem[0x0000], 0x34);
    EXPECT_EQ(d.m.draw.target, kLcdScreen);
}

TEST(Blocks, RefreshAndClearScreen) {
    DisplayMachine d;
    drawPattern(d);
    const Picture pattern = pictureOf(d.m, kGraphicsBuffer);
    d.call(sys_Refresh, {});
    EXPECT_EQ(pictureOf(d.m, kLcdScreen), pattern);
    d.call(sys_ClearScreen, {});
    EXPECT_EQ(pictureOf(d.m, kGraphicsBuffer), Picture{});
    EXPECT_EQ(pictureOf(d.m, kLcdScreen), pattern);  // shows only after the next Refresh
}

TEST(XDraw, InversesAndIgnoredModes) {
    struct Case {
        std::vector<uint32_t> modes;
        bool restores;
    } cases[] = {{{4, 4}, true}, {{5, 5}, true},   {{2}, true},    {{3}, true},
                 {{6}, true},    {{0x104}, false}, {{1, 0}, false}};
    for (const Case& c : cases) {
        DisplayMachine d;
        drawPattern(d);
        const Picture before = pictureOf(d.m, kGraphicsBuffer);
        for (uint32_t mode : c.modes) d.call(sys_XDraw, {mode});
        EXPECT_EQ(pictureOf(d.m, kGraphicsBuffer) == before, c.restores) << c.modes[0];
    }
    // Shift left then right restores everything but column 0, which ends clear.
    DisplayMachine d;
    drawPattern(d);
    Picture want = pictureOf(d.m, kGraphicsBuffer);
    for (int y = 0; y < 80; ++y) want.px[y * 160] = 0;
    d.call(sys_XDraw, {0});
    d.call(sys_XDraw, {1});
    EXPECT_EQ(pictureOf(d.m, kGraphicsBuffer), want);
}

// Goldens: the pattern, then each XDraw mode applied to a copy, composed on the LCD with
// GetBlock and WriteBlock.
TEST(BlocksGolden, XDrawModes) {
    for (uint32_t mode : {0u, 1u, 4u, 5u}) {
        DisplayMachine d;
        drawPattern(d);
        for (int k = 0; k < 8; ++k) d.call(sys_XDraw, {mode});  // eight steps make shifts visible
        if (mode >= 4) d.call(sys_XDraw, {mode});               // odd count: mirrored/flipped
        d.call(sys_Refresh, {});
        expectLcdGolden(d.m, "xdraw_mode_" + std::to_string(mode));
    }
}

TEST(BlocksGolden, GetBlockWriteBlockRoundTrips) {
    DisplayMachine d;
    drawPattern(d);
    d.call(sys_Refresh, {});
    // Unchanged when written back where it came from.
    d.call(sys_GetBlock, {8, 10, 16, 4, 0x40, kImage});
    const Picture before = pictureOf(d.m, kLcdScreen);
    d.call(sys_WriteBlock, {8, 10, 16, 4, 0x41, kImage});
    EXPECT_EQ(pictureOf(d.m, kLcdScreen), before);
    // The top-left corner copied elsewhere: plain, mirrored, inverted and off the right edge.
    d.call(sys_GetBlock, {0, 0, 40, 44, 0x00, kImage});
    d.call(sys_WriteBlock, {60, 35, 40, 44, 0x41, kImage});
    d.call(sys_WriteBlock, {104, 35, 40, 44, 0x61, kImage});
    d.call(sys_WriteBlock, {145, 0, 40, 30, 0x4A, kImage});
    expectLcdGolden(d.m, "getblock_writeblock");
}

}  // namespace
}  // namespace corvane::test
