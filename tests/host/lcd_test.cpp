// LCD presentation: where device pixels land in the window, interlace and black-and-white.

#include <gtest/gtest.h>

#include <array>

#include "host/lcd.h"
#include "host/skin.h"
#include "vm/memory_map.h"

namespace corvane {
namespace {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

constexpr Rgb kGreen{0, 192, 0};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kMarker{11, 22, 33};  // the window outside the LCD area

class LcdPresent : public ::testing::Test {
  protected:
    LcdPresent() : window(kWindowWidth, kWindowHeight) {
        for (size_t i = 0; i < window.rgb.size(); i += 3) {
            window.rgb[i] = kMarker.r;
            window.rgb[i + 1] = kMarker.g;
            window.rgb[i + 2] = kMarker.b;
        }
    }
    void setPixel(int x, int y) { screen[size_t(y * kBitmapStride + x / 8)] |= 0x80 >> (x % 8); }
    void present() { lcd.present(screen.data(), window); }
    Rgb at(int x, int y) const {
        const uint8_t* p = window.at(x, y);
        return {p[0], p[1], p[2]};
    }
    // The 2 x 2 block of LCD pixel (x, y).
    void expectBlock(int x, int y, Rgb c) {
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                EXPECT_EQ(at(kLcdImageLeft + 2 * x + dx, kLcdAreaTop + 2 * y + dy), c)
                    << "LCD pixel (" << x << ", " << y << ")";
    }

    std::array<uint8_t, kBitmapSize> screen{};
    Lcd lcd;
    RgbImage window;
};

TEST_F(LcdPresent, DevicePixelsBecome2x2Blocks) {
    struct Case {
        int x, y;
        int windowX, windowY;  // top-left of the block
    };
    const Case cases[] = {
        {0, 0, 54, 43}, {159, 79, 372, 201}, {7, 0, 68, 43}, {8, 1, 70, 45}, {100, 40, 254, 123},
    };
    for (const Case& c : cases) setPixel(c.x, c.y);
    present();
    for (const Case& c : cases) {
        EXPECT_EQ(at(c.windowX, c.windowY), kBlack);
        EXPECT_EQ(at(c.windowX + 1, c.windowY + 1), kBlack);
        expectBlock(c.x, c.y, kBlack);
    }
    // Neighbours of the first block stay background.
    EXPECT_EQ(at(56, 43), kGreen);
    EXPECT_EQ(at(54, 45), kGreen);
    EXPECT_EQ(at(53, 43), kGreen);
}

TEST_F(LcdPresent, OnlyTheLcdAreaIsWritten) {
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) setPixel(x, y);
    present();
    for (int y = 42; y <= 203; ++y) {
        for (int x = 21; x <= 399; ++x) {
            const bool inArea = x >= 22 && x <= 398 && y >= 43 && y <= 202;
            const bool inImage = x >= 54 && x <= 373 && inArea;
            const Rgb want = !inArea ? kMarker : inImage ? kBlack : kGreen;
            ASSERT_EQ(at(x, y), want) << "(" << x << ", " << y << ")";
        }
    }
}

TEST_F(LcdPresent, InterlaceDarkensEveryOtherRowIncludingStrips) {
    setPixel(3, 5);
    lcd.setInterlaced(true);
    present();
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x : {22, 53, 54, 200, 374, 398}) {
            ASSERT_EQ(at(x, 43 + 2 * y), kBlack) << "interlace row " << 43 + 2 * y;
        }
        EXPECT_EQ(at(22, 44 + 2 * y), kGreen);
        EXPECT_EQ(at(398, 44 + 2 * y), kGreen);
    }
    EXPECT_EQ(at(60, 54), kBlack);  // the set pixel, on its lower row
    EXPECT_EQ(at(62, 54), kGreen);

    // Switched off, the rows are solid again at the next presentation.
    lcd.setInterlaced(false);
    present();
    expectBlock(3, 5, kBlack);
    for (int y = 43; y <= 202; ++y) EXPECT_EQ(at(22, y), kGreen) << "row " << y;
}

TEST_F(LcdPresent, InterlaceRowsStayDarkOverManyFrames) {
    lcd.setInterlaced(true);
    for (int frame = 0; frame < 3; ++frame) {
        screen.fill(frame % 2 ? 0xFF : 0x00);
        present();
        EXPECT_EQ(at(100, 43), kBlack);
        EXPECT_EQ(at(100, 44), frame % 2 ? kBlack : kGreen);
    }
}

TEST_F(LcdPresent, BlackAndWhiteChangesOnlyTheBackground) {
    setPixel(0, 0);
    lcd.setBlackWhite(true);
    present();
    expectBlock(0, 0, kBlack);
    expectBlock(1, 0, kWhite);
    EXPECT_EQ(at(22, 100), kWhite);
    EXPECT_EQ(at(398, 100), kWhite);

    lcd.setInterlaced(true);
    present();
    EXPECT_EQ(at(22, 43), kBlack);
    EXPECT_EQ(at(22, 44), kWhite);

    lcd.setBlackWhite(false);
    lcd.setInterlaced(false);
    present();
    expectBlock(1, 0, kGreen);
}

TEST(LcdPalette, BothPalettes) {
    for (const Palette* p : {&kGreenPalette, &kBlackWhitePalette}) {
        EXPECT_EQ((*p)[1].red + (*p)[1].green + (*p)[1].blue, 0);
        EXPECT_EQ((*p)[2].green, 255);
        for (int i = 3; i < 16; ++i) EXPECT_EQ((*p)[size_t(i)].green, 0) << i;
    }
    EXPECT_EQ(kGreenPalette[0].green, 192);
    EXPECT_EQ(kBlackWhitePalette[0].red, 255);
}

TEST(LcdDisplayBitmap, StagingRowsBeyondTheScreenAreNeverShown) {
    // Rows 160-175 of the display bitmap are outside the 160 scan lines handed to the window.
    Lcd lcd;
    lcd.setInterlaced(true);
    std::array<uint8_t, kBitmapSize> screen{};
    RgbImage window(kWindowWidth, kWindowHeight);
    lcd.present(screen.data(), window);
    EXPECT_EQ(lcd.displayIndex(0, 160), 0);  // widened from an empty staging row
    EXPECT_EQ(lcd.displayIndex(0, 161), 1);  // left over from the interlace fill
    EXPECT_EQ(lcd.displayIndex(0, 0), 0);
    EXPECT_EQ(lcd.displayIndex(0, 1), 1);
}

}  // namespace
}  // namespace corvane
