// Window sizes and full screens: layouts, the way back from the screen's pixels to the window's
// (the face keys' strict borders included), crisp scaling, the scaled shape, the default size.

#include <gtest/gtest.h>

#include <cstring>

#include "host/skin.h"
#include "host/view.h"

namespace corvane::test {
namespace {

TEST(ViewLayout, SizesAndPlacesEveryMode) {
    struct Case {
        ViewMode mode;
        int screenW, screenH;
        ViewSource source;
        int outW, outH, scale, left, top;
    };
    const ViewSource face = faceSource();
    const ViewSource lcd = lcdSource();
    const Case cases[] = {
        {{1}, 1920, 1080, face, 435, 585, 1, 0, 0},
        {{3}, 1920, 1080, face, 1305, 1755, 3, 0, 0},  // a window may be taller than the screen
        {{0}, 0, 0, face, 435, 585, 1, 0, 0},          // not chosen yet: 1x
        {{9}, 0, 0, face, 1740, 2340, 4, 0, 0},        // clamped to 4x
        {{2, true}, 1920, 1080, face, 1920, 1080, 1, 742, 247},
        {{2, true}, 3840, 2160, face, 3840, 2160, 3, 1267, 202},
        {{1, true, FullscreenContent::Lcd}, 1920, 1080, lcd, 1920, 1080, 6, 0, 60},
        {{1, true, FullscreenContent::Lcd}, 1366, 768, lcd, 1366, 768, 4, 43, 64},
        {{1, true, FullscreenContent::Lcd}, 200, 100, lcd, 200, 100, 1, -60, -30},  // too small
        {{2, true, FullscreenContent::Lcd}, 0, 0, lcd, 640, 320, 2, 0, 0},  // screen not known
    };
    for (const Case& c : cases) {
        const ViewLayout l = layoutFor(c.mode, c.screenW, c.screenH);
        SCOPED_TRACE(testing::Message() << "scale " << c.mode.scale << " full " << c.mode.fullscreen
                                        << " screen " << c.screenW << "x" << c.screenH);
        EXPECT_EQ(l.source, c.source);
        EXPECT_EQ(l.outputWidth, c.outW);
        EXPECT_EQ(l.outputHeight, c.outH);
        EXPECT_EQ(l.scale, c.scale);
        EXPECT_EQ(l.left, c.left);
        EXPECT_EQ(l.top, c.top);
        EXPECT_EQ(l.fullscreen, c.mode.fullscreen);
    }
}

TEST(ViewLayout, TheMenuBringsTheFaceBackToAnLcdScreen) {
    const ViewMode lcdOnly{1, true, FullscreenContent::Lcd};
    const ViewLayout withMenu = layoutFor(lcdOnly, 1920, 1080, true);
    EXPECT_EQ(withMenu.source, faceSource());
    EXPECT_EQ(withMenu.outputWidth, 1920);
    // A window is the face anyway.
    EXPECT_EQ(layoutFor(ViewMode{2}, 1920, 1080, true), layoutFor(ViewMode{2}, 1920, 1080));
}

TEST(ViewMapping, ScaledPointsHitTheKeysTheyCover) {
    for (int scale = 1; scale <= 4; ++scale) {
        const ViewLayout l = layoutFor(ViewMode{scale}, 0, 0);
        for (const FaceKey& key : faceKeys()) {
            const KeyRect& r = key.rect;
            // Every screen pixel of the key's inner pixels hits it; its border pixels do not.
            for (int k = 0; k < scale; ++k) {
                auto inner = toWindow(l, (r.left + 1) * scale + k, (r.top + 1) * scale + k);
                ASSERT_TRUE(inner);
                auto hit = faceKeyAt(inner->first, inner->second);
                ASSERT_TRUE(hit) << scale;
                EXPECT_EQ(hit->rect, r);
                auto border = toWindow(l, r.left * scale + k, (r.top + 1) * scale);
                ASSERT_TRUE(border);
                auto miss = faceKeyAt(border->first, border->second);
                EXPECT_TRUE(!miss || miss->rect != r) << "border hit at " << scale << "x";
            }
        }
    }
}

TEST(ViewMapping, FullScreensMapIntoTheirSourceOnly) {
    const ViewLayout face = layoutFor(ViewMode{1, true}, 1920, 1080);
    EXPECT_FALSE(toWindow(face, 741, 500));  // the black border
    EXPECT_FALSE(toWindow(face, 742 + 435, 500));
    EXPECT_EQ(toWindow(face, 742, 247), std::make_pair(0, 0));
    EXPECT_EQ(toWindow(face, 742 + 434, 247 + 584), std::make_pair(434, 584));

    const ViewLayout lcd = layoutFor(ViewMode{1, true, FullscreenContent::Lcd}, 1920, 1080);
    EXPECT_FALSE(toWindow(lcd, 100, 59));
    EXPECT_FALSE(toWindow(lcd, 100, 60 + 960));
    // LCD pixel (0, 0) is window (54, 43); at 6x the screen's 6 x 6 block shows it.
    EXPECT_EQ(toWindow(lcd, 0, 60), std::make_pair(54, 43));
    EXPECT_EQ(toWindow(lcd, 5, 65), std::make_pair(54, 43));
    EXPECT_EQ(toWindow(lcd, 1919, 1019), std::make_pair(54 + 319, 43 + 159));
}

// A window image with a different colour at every pixel.
RgbImage patterned() {
    RgbImage image(435, 585);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            uint8_t* p = image.at(x, y);
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t((x >> 8) | (y >> 8) << 2);
        }
    return image;
}

TEST(ViewRender, EveryScreenPixelShowsItsWindowPixelOrBlack) {
    const RgbImage window = patterned();
    const ViewLayout layouts[] = {
        layoutFor(ViewMode{1}, 0, 0),
        layoutFor(ViewMode{3}, 0, 0),
        layoutFor(ViewMode{1, true}, 1366, 768),
        layoutFor(ViewMode{1, true, FullscreenContent::Lcd}, 1366, 768),
        layoutFor(ViewMode{1, true, FullscreenContent::Lcd}, 200, 100),
    };
    for (const ViewLayout& l : layouts) {
        RgbImage out;
        render(window, l, out);
        ASSERT_EQ(out.width, l.outputWidth);
        ASSERT_EQ(out.height, l.outputHeight);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                const auto at = toWindow(l, x, y);
                const uint8_t black[3] = {0, 0, 0};
                const uint8_t* want = at ? window.at(at->first, at->second) : black;
                ASSERT_EQ(0, std::memcmp(out.at(x, y), want, 3))
                    << l.outputWidth << "x" << l.outputHeight << " at " << x << "," << y;
            }
    }
}

TEST(ViewRender, SomeRowsChangeOnlyTheirPartOfTheScreen) {
    RgbImage window = patterned();
    const ViewLayout l = layoutFor(ViewMode{2, true}, 1000, 1300);
    RgbImage out;
    render(window, l, out);
    for (int x = 0; x < window.width; ++x) window.at(x, 100)[0] ^= 0xFF;
    RgbImage partial = out;
    renderRows(window, l, partial, 100, 1);
    RgbImage whole;
    render(window, l, whole);
    EXPECT_EQ(partial, whole);
    const auto [first, count] = outputRows(l, 100, 1);
    EXPECT_EQ(first, l.top + 200);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(outputRows(layoutFor(ViewMode{1, true, FullscreenContent::Lcd}, 1920, 1080), 0, 43),
              std::make_pair(0, 0));  // above the LCD: not on an LCD screen
    // A screen smaller than the LCD: only the rows on the screen are given.
    const ViewLayout small = layoutFor(ViewMode{1, true, FullscreenContent::Lcd}, 200, 100);
    EXPECT_EQ(outputRows(small, 0, 585), std::make_pair(0, 100));
    EXPECT_EQ(outputRows(small, 43 + 150, 10), std::make_pair(0, 0));
}

TEST(ViewShape, TheScaledShapeIsTheOutlineInBlocks) {
    const std::vector<uint8_t> one = windowShape(1);
    const std::vector<uint8_t> three = windowShape(3);
    ASSERT_EQ(three.size(), one.size() * 9);
    for (int y = 0; y < 585 * 3; ++y)
        for (int x = 0; x < 435 * 3; ++x)
            ASSERT_EQ(three[size_t(y) * 1305 + size_t(x)],
                      one[size_t(y / 3) * 435 + size_t(x / 3)]);
    EXPECT_EQ(one[0], 0);                        // the rounded corner is cut away
    EXPECT_EQ(one[size_t(300) * 435 + 200], 1);  // the body
    for (int y = 0; y < 585; y += 7)
        for (int x = 0; x < 435; x += 5)
            EXPECT_EQ(one[size_t(y) * 435 + size_t(x)], insideOutline(x, y) ? 1 : 0);
}

TEST(ViewDefaults, HighDensityScreensStartLarger) {
    struct Case {
        int w, h;
        double dpi;
        int scale;
    };
    const Case cases[] = {
        {1920, 1080, 96, 1},  {1920, 1080, 0, 1},    // ordinary or not known
        {3840, 2160, 192, 2}, {3840, 2160, 288, 3},  // 2x and 3x density
        {2560, 1440, 192, 2}, {2560, 1200, 192, 1},  // 1170 rows plus the margin do not fit
        {3840, 2160, 140, 1},                        // slightly dense: still 1x
        {7680, 4320, 500, 4},                        // never above 4x
        {3840, 2160, 250, 3},                        // 2.6 times as dense: the nearest is 3x
        {880, 4000, 192, 1},  {902, 4000, 192, 2},   // a narrow screen: 870 columns need 902
    };
    for (const Case& c : cases)
        EXPECT_EQ(defaultScale(c.w, c.h, c.dpi), c.scale) << c.w << "x" << c.h << " " << c.dpi;
}

TEST(ViewDefaults, ContentNamesRoundTrip) {
    for (FullscreenContent c : {FullscreenContent::Face, FullscreenContent::Lcd})
        EXPECT_EQ(contentFromName(contentName(c)), c);
    EXPECT_FALSE(contentFromName("LCD"));
    EXPECT_FALSE(contentFromName(""));
}

}  // namespace
}  // namespace corvane::test
