// Points, lines, rectangles, circles, ellipses and the area fill.

#include <algorithm>
#include <set>
#include <utility>

#include "display_fixture.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

using Points = std::set<std::pair<int, int>>;

Points lcdPoints(const DisplayMachine& d) {
    Points p;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 160; ++x)
            if (d.lcd(x, y)) p.insert({x, y});
    return p;
}

Points square(int cx, int cy, int r, bool filled) {
    Points p;
    for (int y = cy - r; y <= cy + r; ++y)
        for (int x = cx - r; x <= cx + r; ++x)
            if (filled || x == cx - r || x == cx + r || y == cy - r || y == cy + r)
                p.insert({x, y});
    return p;
}

TEST(Line, ErrorCountersStartAtZero) {
    Points shallow;
    for (int x = 0; x <= 9; ++x) shallow.insert({x, 0});
    shallow.insert({10, 1});
    Points steep;
    for (int y = 5; y <= 20; ++y) steep.insert({5 + (y - 5) / 5, y});
    struct Case {
        int x0, y0, x1, y1;
        Points want;
    } cases[] = {
        {0, 0, 10, 1, shallow}, {10, 1, 0, 0, shallow}, {5, 5, 8, 20, steep}, {8, 20, 5, 5, steep}};
    for (const Case& c : cases) {
        DisplayMachine d;
        d.call(sys_Line, {uint32_t(c.x0), uint32_t(c.y0), uint32_t(c.x1), uint32_t(c.y1), 1});
        EXPECT_EQ(lcdPoints(d), c.want) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    }
}

// Which bitmap each call draws into, for type bit 6 clear and set.
TEST(Drawing, TypeBitSixSelectsTheTarget) {
    struct Case {
        const char* name;
        Handler fn;
        std::vector<uint32_t> args;  // without the type
        bool lcdWhenClear, lcdWhenSet;
    } cases[] = {
        {"Point", sys_Point, {4, 4}, true, false},
        {"Line", sys_Line, {4, 4, 9, 6}, true, false},
        {"Block", sys_Block, {4, 4, 9, 6}, false, true},
        {"Rectangle", sys_Rectangle, {4, 4, 9, 6}, false, true},
        {"FillArea", sys_FillArea, {4, 4}, false, true},
        {"Box", sys_Box, {4, 4, 9, 6, 1}, true, true},
        {"Circle", sys_Circle, {10, 10, 3, 0}, true, true},
        {"Ellipse", sys_Ellipse, {10, 10, 3, 2, 0}, true, true},
    };
    for (const Case& c : cases) {
        for (uint32_t type : {0x01u, 0x41u}) {
            DisplayMachine d;
            for (uint32_t a : c.args) d.m.push(a);
            d.m.push(type);
            c.fn(d.m);
            EXPECT_EQ(d.m.osp, 0) << c.name;
            const bool wantLcd = type == 0x41 ? c.lcdWhenSet : c.lcdWhenClear;
            const auto lcd = pictureOf(d.m, kLcdScreen), back = pictureOf(d.m, kGraphicsBuffer);
            EXPECT_EQ(lcd != Picture{}, wantLcd) << c.name << " type " << type;
            EXPECT_EQ(back != Picture{}, !wantLcd) << c.name << " type " << type;
        }
    }
}

TEST(Rectangles, ClampingAndInvertedCorners) {
    DisplayMachine d;
    d.call(sys_Block, {200, 20, 220, 10, 0x41});  // both x clamp to 159; rows are ordered
    Points column;
    for (int y = 10; y <= 20; ++y) column.insert({159, y});
    EXPECT_EQ(lcdPoints(d), column);

    DisplayMachine e;
    e.call(sys_Rectangle, {20, 15, 10, 10, 0x42});  // invert: corners are plotted twice
    Points border;
    for (int x = 11; x <= 19; ++x) border.insert({x, 10}), border.insert({x, 15});
    for (int y = 11; y <= 14; ++y) border.insert({10, y}), border.insert({20, y});
    EXPECT_EQ(lcdPoints(e), border);
}

// A span that runs past column 159 stops there: one pixel more would land on column 0 of the
// next row, which shares the row's last byte boundary in memory.
TEST(Drawing, SpansPastTheRightEdgeStopAtIt) {
    struct Case {
        const char* name;
        Handler fn;
        std::vector<uint32_t> args;
        int leftmost;  // no shape here reaches further left than this column
    } cases[] = {
        {"horizontal Line", sys_Line, {150, 5, 250, 5, 1}, 150},
        {"filled Circle", sys_Circle, {155, 40, 10, 1, 1}, 145},
        {"filled Ellipse", sys_Ellipse, {155, 40, 12, 6, 1, 1}, 143},
    };
    for (const Case& c : cases) {
        DisplayMachine d;
        for (uint32_t a : c.args) d.m.push(a);
        c.fn(d.m);
        const Points lit = lcdPoints(d);
        ASSERT_FALSE(lit.empty()) << c.name;
        for (auto [x, y] : lit) EXPECT_GE(x, c.leftmost) << c.name << " lit " << x << "," << y;
        EXPECT_TRUE(std::any_of(lit.begin(), lit.end(), [](auto p) { return p.first == 159; }))
            << c.name;
    }
}

TEST(Circle, SmallRadii) {
    Points r0 = {{50, 40}, {49, 40}, {51, 40}, {50, 39}, {50, 41}};
    Points r3;
    for (int k = -2; k <= 2; ++k) r3.insert({50 + k, 37}), r3.insert({50 + k, 43});
    for (int k = -2; k <= 2; ++k) r3.insert({47, 40 + k}), r3.insert({53, 40 + k});
    for (int sx : {-2, 2})
        for (int sy : {-2, 2}) r3.insert({50 + sx, 40 + sy});
    struct Case {
        int r, fill;
        Points want;
    } cases[] = {{0, 0, r0},
                 {1, 0, square(50, 40, 1, false)},
                 {2, 0, square(50, 40, 2, false)},
                 {3, 0, r3},
                 {2, 1, square(50, 40, 2, true)}};
    for (const Case& c : cases) {
        DisplayMachine d;
        d.call(sys_Circle, {50, 40, uint32_t(c.r), uint32_t(c.fill), 1});
        EXPECT_EQ(lcdPoints(d), c.want) << "r " << c.r << " fill " << c.fill;
    }
}

TEST(Circle, InvertLeavesPointsPlottedTwiceUnchanged) {
    DisplayMachine d;
    d.call(sys_Circle, {50, 40, 3, 0, 2});
    const Points p = lcdPoints(d);
    EXPECT_EQ(p.size(), 16u);
    for (auto pt : {std::pair{50, 37}, {50, 43}, {47, 40}, {53, 40}}) EXPECT_EQ(p.count(pt), 0u);
}

TEST(Ellipse, FlatEllipse) {
    DisplayMachine d;
    d.call(sys_Ellipse, {50, 40, 5, 0, 0, 1});
    Points want;
    for (int x = 44; x <= 56; ++x) want.insert({x, 40});
    for (int sx : {-4, 4})
        for (int sy : {-1, 1}) want.insert({50 + sx, 40 + sy});
    EXPECT_EQ(lcdPoints(d), want);
}

TEST(FillArea, ClearTargetFillsAllButColumnZero) {
    DisplayMachine d;
    d.call(sys_FillArea, {5, 40, 0x40});
    EXPECT_EQ(d.lcdCount(), 159 * 80);
    for (int y = 0; y < 80; ++y) EXPECT_FALSE(d.lcd(0, y));
    d.call(sys_FillArea, {160, 0, 0});  // off-screen seed: nothing, back buffer stays clear
    EXPECT_EQ(pictureOf(d.m, kGraphicsBuffer), Picture{});
}

TEST(GetPoint, ReturnsTheMaskAndDoesNotClip) {
    DisplayMachine d;
    d.call(sys_Point, {9, 0, 1});
    EXPECT_EQ(d.result(sys_GetPoint, {9, 0}), 0x40u);
    EXPECT_EQ(d.result(sys_GetPoint, {8, 0}), 0u);
    d.m.mem[kLcdScreen + 20 * 80] = 0x20;  // the byte just past the LCD screen memory
    EXPECT_EQ(d.result(sys_GetPoint, {2, 80}), 0x20u);
}

// Goldens: look at these images when they change.
TEST(DrawingGolden, LinesOfEveryOctant) {
    DisplayMachine d;
    // From the centre to ends in all eight octants, plus the two axes and the diagonals.
    const int ends[][2] = {{159, 25}, {159, 55}, {0, 25},   {0, 55}, {95, 0},  {65, 0},
                           {95, 79},  {65, 79},  {158, 40}, {80, 2}, {120, 0}, {40, 79}};
    for (auto& e : ends) d.call(sys_Line, {80, 40, uint32_t(e[0]), uint32_t(e[1]), 1});
    d.call(sys_Line, {150, 5, 255, 60, 1});  // an end far off the screen is clipped
    expectLcdGolden(d.m, "lines");
}

TEST(DrawingGolden, CirclesAndEllipses) {
    DisplayMachine d;
    for (int r = 0; r <= 3; ++r) d.call(sys_Circle, {uint32_t(6 + 10 * r), 6, uint32_t(r), 0, 1});
    d.call(sys_Circle, {6, 24, 3, 0, 2});  // invert
    d.call(sys_Circle, {30, 40, 18, 0, 1});
    d.call(sys_Circle, {30, 40, 10, 1, 1});
    d.call(sys_Ellipse, {90, 20, 25, 10, 0, 1});
    d.call(sys_Ellipse, {90, 20, 12, 5, 1, 1});
    d.call(sys_Ellipse, {90, 60, 10, 18, 1, 1});
    d.call(sys_Ellipse, {140, 60, 30, 30, 0, 1});  // partly off the screen
    expectLcdGolden(d.m, "circles_ellipses");
}

TEST(DrawingGolden, RectanglesAndBoxesInInvertMode) {
    DisplayMachine d;
    d.call(sys_Block, {10, 10, 70, 50, 0x41});
    d.call(sys_Rectangle, {20, 20, 100, 60, 0x42});
    d.call(sys_Box, {40, 5, 130, 30, 1, 2});
    d.call(sys_Box, {50, 40, 150, 75, 0, 2});
    d.call(sys_Rectangle, {120, 70, 150, 70, 0x42});  // one row high: the row inverts twice
    d.call(sys_Box, {200, 2, 140, 8, 1, 2});          // clamped to column 159
    expectLcdGolden(d.m, "rectangles_invert");
}

TEST(DrawingGolden, FillAreaFollowsOneSpanPerRow) {
    DisplayMachine d;
    d.call(sys_Rectangle, {10, 5, 150, 70, 0x41});  // U: outline with a wall from the top
    d.call(sys_Block, {60, 5, 100, 50, 0x41});
    d.call(sys_FillArea, {80, 60, 0x40});  // seeded in the bottom bar
    expectLcdGolden(d.m, "fill_u_shape");
}

}  // namespace
}  // namespace corvane::test
