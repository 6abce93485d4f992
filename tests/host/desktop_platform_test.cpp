// What the desktop windows share: only the rows that changed since the last upload go to the
// window system, and a key tapped between two scans still counts as pressed once.

#include <gtest/gtest.h>

#include <vector>

#include "host/desktop_platform.h"

namespace corvane::test {
namespace {

TEST(ChangedRows, OnlyTheSpanThatChangedSinceTheLastUpload) {
    struct Case {
        const char* name;
        std::vector<int> rowsChanged;  // rows given a new colour before the update
        int first, rows;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, 0, 0},
        {"one row", {5}, 5, 1},
        {"the span between two rows", {2, 6}, 2, 5},
        {"first and last", {0, 9}, 0, 10},
    };
    ChangedRows changed;
    RgbImage image(4, 10);
    ChangedRows::Span span = changed.update(image);
    EXPECT_TRUE(span.whole);  // the first picture goes whole
    EXPECT_EQ(span.rows, 10);
    uint8_t colour = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int row : c.rowsChanged) image.at(1, row)[2] = colour++;
        span = changed.update(image);
        EXPECT_FALSE(span.whole);
        EXPECT_EQ(span.rows, c.rows);
        if (c.rows) {
            EXPECT_EQ(span.first, c.first);
        }
        EXPECT_EQ(changed.update(image).rows, 0) << "the span is uploaded only once";
    }
    EXPECT_TRUE(changed.update(RgbImage(8, 10)).whole);  // another size
    changed.forget();
    EXPECT_TRUE(changed.update(RgbImage(8, 10)).whole);
}

TEST(KeyLatch, ATapBetweenScansCountsOnceAndAShortcutKeyNever) {
    KeyLatch latch;
    std::array<uint8_t, 256> down{};
    latch.pressed(0x41);  // pressed and released again before the scan
    EXPECT_EQ(latch.scan(down)[0x41], 0x80);
    EXPECT_EQ(latch.scan(down)[0x41], 0) << "only once";

    down[0x42] = 0x81;  // held: down at every scan, bit 7 only
    EXPECT_EQ(latch.scan(down)[0x42], 0x80);
    EXPECT_EQ(latch.scan(down)[0x42], 0x80);

    latch.pressed(0x0D);
    latch.suppress(0x0D);  // the Enter of a window shortcut
    down[0x0D] = 0x80;
    EXPECT_EQ(latch.scan(down)[0x0D], 0);
    latch.released(0x0D);
    EXPECT_EQ(latch.scan(down)[0x0D], 0x80);  // down again after its release
}

}  // namespace
}  // namespace corvane::test
