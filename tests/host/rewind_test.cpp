// The rewind history: byte differences that rebuild exactly, states back in reverse order, and
// both bounds.

#include <gtest/gtest.h>

#include <numeric>
#include <string_view>

#include "host/rewind.h"
#include "host/rewind_pace.h"

namespace corvane::test {
namespace {

std::vector<uint8_t> state(size_t size, uint8_t seed) {
    std::vector<uint8_t> s(size);
    std::iota(s.begin(), s.end(), seed);
    return s;
}

TEST(RewindDifference, RebuildsTheOtherStringExactly) {
    const std::vector<uint8_t> base = state(300, 0);
    struct Case {
        const char* what;
        std::vector<size_t> changed;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"first byte", {0}},
        {"last byte", {299}},
        {"short gaps inside one run", {10, 12, 15, 17}},
        {"runs far apart", {3, 100, 101, 102, 250}},
        {"past 127: a two-byte run length", {200}},
        {"exactly 128 unchanged bytes first", {128}},
        {"a change just before an unchanged tail of two", {297}},
        {"a changed run of exactly 128 bytes", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> other = base;
        for (size_t i : c.changed) other[i] ^= 0x5A;
        if (c.changed.empty() && std::string_view(c.what) != "nothing")
            for (size_t i = 20; i < 148; ++i) other[i] ^= 0x5A;
        const std::vector<uint8_t> diff = byteDifference(base, other);
        std::vector<uint8_t> rebuilt = base;
        ASSERT_TRUE(applyDifference(rebuilt, diff));
        EXPECT_EQ(rebuilt, other);
        if (other == base) {
            EXPECT_TRUE(diff.empty());
        }
    }
    // Everything changed still rebuilds.
    std::vector<uint8_t> other = state(300, 7);
    std::vector<uint8_t> rebuilt = base;
    ASSERT_TRUE(applyDifference(rebuilt, byteDifference(base, other)));
    EXPECT_EQ(rebuilt, other);
}

TEST(RewindDifference, DamagedDifferencesAreRefused) {
    std::vector<uint8_t> base(16, 0);
    const std::vector<std::vector<uint8_t>> damaged = {
        {0x80},             // a number cut short
        {20, 1, 0xFF},      // skips past the end
        {10, 10, 1, 2, 3},  // changes past the end
        {0, 4, 1, 2},       // promises four bytes, holds two
    };
    for (const auto& d : damaged) EXPECT_FALSE(applyDifference(base, d));
}

TEST(RewindRing, GivesStatesBackNewestFirstUntilEmpty) {
    RewindRing ring;
    std::vector<std::vector<uint8_t>> pushed;
    for (uint8_t i = 0; i < 5; ++i) {
        std::vector<uint8_t> s = state(1000, 0);
        s[i * 100] = uint8_t(0xF0 + i);
        pushed.push_back(s);
        ring.push(s);
    }
    // A state of another size (a file opened meanwhile) is kept whole.
    pushed.push_back(state(1010, 3));
    ring.push(pushed.back());
    EXPECT_EQ(ring.count(), 6u);
    EXPECT_LT(ring.bytes(), 2 * 1010u + 5 * 20u);  // one whole state, one whole older, differences
    std::vector<uint8_t> out;
    for (size_t i = pushed.size(); i-- > 0;) {
        ASSERT_TRUE(ring.pop(out));
        EXPECT_EQ(out, pushed[i]) << i;
    }
    EXPECT_FALSE(ring.pop(out));
    EXPECT_EQ(ring.bytes(), 0u);
}

TEST(RewindRing, OldestStatesGoFirstWhenEitherBoundIsReached) {
    RewindRing byCount({3, 1u << 20});
    for (uint8_t i = 0; i < 10; ++i) byCount.push(state(100, i));
    EXPECT_EQ(byCount.count(), 3u);
    std::vector<uint8_t> out;
    for (uint8_t i : {9, 8, 7}) {
        ASSERT_TRUE(byCount.pop(out));
        EXPECT_EQ(out, state(100, i));
    }
    EXPECT_FALSE(byCount.pop(out));

    // Every state entirely different: each older one costs its whole size.
    RewindRing byBytes({1000, 1000});
    for (uint8_t i = 0; i < 50; ++i) byBytes.push(state(200, uint8_t(i * 5)));
    EXPECT_LE(byBytes.bytes(), 1000u);
    EXPECT_GE(byBytes.count(), 2u);
    ASSERT_TRUE(byBytes.pop(out));
    EXPECT_EQ(out, state(200, 245));

    // Exactly at the byte bound nothing goes: each older state costs 1 + 1 + 100 bytes.
    RewindRing atBound({10, 100 + 2 * 102});
    for (uint8_t i = 0; i < 3; ++i) atBound.push(state(100, uint8_t(i * 100)));
    EXPECT_EQ(atBound.bytes(), 304u);
    EXPECT_EQ(atBound.count(), 3u);
    atBound.push(state(100, 77));
    EXPECT_EQ(atBound.count(), 3u);
    for (uint8_t i : {77, 200, 100}) {
        ASSERT_TRUE(atBound.pop(out));
        EXPECT_EQ(out, state(100, i));
    }

    RewindRing off({0, 1000});
    off.push(state(10, 1));
    EXPECT_EQ(off.count(), 0u);
    byCount.push(state(100, 1));
    byCount.setLimits({0, 1000});
    EXPECT_EQ(byCount.count(), 0u);
}

}  // namespace
// Held for so many frames, so far back: real time for a second, then twice, then four times as
// fast; the states due round up, so the first frame held already steps one back.
TEST(RewindPace, RealTimeFirstThenFasterTheLongerItIsHeld) {
    struct Case {
        uint64_t held;
        uint32_t interval;
        uint64_t framesBack;
        uint64_t steps;
    };
    const Case cases[] =
        {
            {0, 6, 0, 0},       {1, 6, 1, 1},    {6, 6, 6, 1},      {7, 6, 7, 2},
            {60, 6, 60, 10},    {61, 6, 62, 11}, {120, 6, 180, 30}, {121, 6, 184, 31},
            {225, 6, 600, 100},  // ten seconds of history: under four seconds of holding
            {60, 1, 60, 60},    {60, 0, 60, 60},  // no interval counts as one frame
        };
    for (const Case& c : cases) {
        EXPECT_EQ(rewindFramesBack(c.held), c.framesBack) << c.held;
        EXPECT_EQ(rewindStepsDue(c.held, c.interval), c.steps) << c.held << "/" << c.interval;
    }
}

}  // namespace corvane::test
