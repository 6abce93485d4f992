// The window on the screen: where a resized window goes and which part of the window image a
// menu may use, for windows partly off the work area, larger than it, or full screen.

#include <gtest/gtest.h>

#include "host/screen_fit.h"

namespace corvane::test {
namespace {

std::string show(const ScreenRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) +
           "x" + std::to_string(r.height);
}

TEST(ScreenFit, AResizedWindowKeepsItsCentreAndStaysOnTheWorkArea) {
    const ScreenRect work{0, 30, 1920, 1170};  // a panel along the top
    struct Case {
        ScreenRect from;
        int width, height;
        ScreenRect to;
    };
    const Case cases[] = {
        // Room all round: the centre stays.
        {{742, 307, 435, 585}, 870, 1170, {525, 30, 870, 1170}},
        // Near the top left: 2x would start above and left of the work area.
        {{10, 40, 435, 585}, 870, 1170, {0, 30, 870, 1170}},
        // Near the bottom right: moved back in.
        {{1480, 580, 435, 585}, 870, 1170, {1050, 30, 870, 1170}},
        // Larger than the work area: its top-left corner, the face's top, stays on it.
        {{742, 307, 435, 585}, 1305, 1755, {307, 30, 1305, 1755}},
        // Smaller again: a window partly off the screen comes back onto it.
        {{-300, 900, 870, 1170}, 435, 585, {0, 615, 435, 585}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(placeWindow(c.from, c.width, c.height, work), c.to) << show(c.from);
    // Not knowing the work area, only the centre is kept.
    EXPECT_EQ(placeWindow({10, 40, 435, 585}, 870, 1170, {}), (ScreenRect{-207, -252, 870, 1170}));
    EXPECT_EQ(centreWindow(435, 585, work), (ScreenRect{742, 322, 435, 585}));
}

TEST(ScreenFit, TheMenuGetsThePartOfTheWindowOnTheWorkArea) {
    const ScreenRect work{0, 0, 1024, 768};
    ViewLayout twice = layoutFor(ViewMode{2}, 1024, 768);
    ViewLayout once = layoutFor(ViewMode{1}, 1024, 768);
    ViewLayout full = layoutFor(ViewMode{1, true}, 1024, 768);
    struct Case {
        const ViewLayout* layout;
        ScreenRect window;
        KeyRect part;
    };
    const Case cases[] = {
        {&once, {100, 100, 435, 585}, {0, 0, 435, 585}},      // all of it on the screen
        {&once, {800, 500, 435, 585}, {0, 0, 224, 268}},      // its bottom right off it
        {&once, {-100, -50, 435, 585}, {100, 50, 335, 535}},  // its top left off it
        {&twice,
         {77, -201, 870, 1170},
         {0, 101, 435, 383}},  // half a window pixel on it: not counted
        {&twice, {77, -200, 870, 1170}, {0, 100, 435, 384}},  // 2x, taller than the screen
        {&once, {2000, 100, 435, 585}, {0, 0, 435, 585}},     // wholly off: the face itself
        {&full, {0, 0, 1024, 768}, {0, 0, 435, 585}},         // a full screen shows it all
        {&once, {}, {0, 0, 435, 585}},                        // place not known
    };
    for (const Case& c : cases)
        EXPECT_EQ(visibleWindowPart(*c.layout, c.window, work), c.part) << show(c.window);
    EXPECT_EQ(visibleWindowPart(once, {800, 500, 435, 585}, {}), (KeyRect{0, 0, 435, 585}));
}

}  // namespace
}  // namespace corvane::test
