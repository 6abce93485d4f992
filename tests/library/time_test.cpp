// Delay, Getms, GetTime and SetTime against a fake host clock.

#include "lib_helpers.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

TEST(TimeCalls, DelayCountsWholeTicksOfTheLow15Bits) {
    struct Case {
        uint32_t ms;
        uint32_t ticks;
    };
    const Case cases[] = {
        {1000, 256},
        {3, 0},
        {4, 1},
        {0x8000, 0},
        {0x7FFF, 8388},
        {0, 0},
        {0x8000 + 1000, 256},
        {0xFFFFFFFF, 8388},
        {500, 128},
    };
    for (const Case& c : cases) {
        LibMachine lm;
        lm.host.now = 123456789;
        lm.call(sys_Delay, {c.ms});
        EXPECT_EQ(lm.m.delayCounter, c.ticks) << c.ms;
        EXPECT_EQ(lm.m.lastDelayNs, 123456789u) << c.ms;
        // Only a delay that really pauses stops the run of instructions.
        EXPECT_EQ(lm.m.stopRun, c.ticks != 0) << c.ms;
    }
}

TEST(TimeCalls, GetmsScalesTheMillisecondsToAByte) {
    const int ms[] = {0, 3, 4, 500, 996, 999, 1000, 1500};
    const uint32_t want[] = {0, 0, 1, 128, 254, 255, 255, 255};
    for (size_t i = 0; i < std::size(ms); ++i) {
        LibMachine lm;
        lm.host.time.millisecond = ms[i];
        EXPECT_EQ(lm.result(sys_Getms, {}), want[i]) << ms[i];
    }
}

TEST(TimeCalls, GetTimeWritesTheRecord) {
    LibMachine lm;
    lm.host.time = {2004, 12, 31, 23, 59, 58, 5, 123};
    lm.m.mem.fill(0xEE);
    lm.call(sys_GetTime, {0x00AB3000});  // low 16 bits only
    const uint8_t want[] = {0xD4, 0x07, 12, 31, 23, 59, 58, 5, 0xEE};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(lm.m.read8(0x3000 + i), want[i]) << i;
}

TEST(TimeCalls, RecordInTheLastBytesOfMemoryWraps) {
    LibMachine lm;
    lm.host.time = {2031, 2, 3, 4, 5, 6, 1, 0};
    lm.call(sys_GetTime, {0xFFFD});
    EXPECT_EQ(lm.m.read16(0xFFFD), 2031u);
    EXPECT_EQ(lm.m.read8(0xFFFF), 2);
    EXPECT_EQ(lm.m.read8(0x0000), 3);
    EXPECT_EQ(lm.m.read8(0x0003), 6);
    EXPECT_EQ(lm.m.read8(0x0004), 1);

    lm.m.write8(0x0003, 7);
    lm.call(sys_SetTime, {0xFFFD});
    ASSERT_EQ(lm.host.timesSet.size(), 1u);
    EXPECT_EQ(lm.host.timesSet[0].year, 2031);
    EXPECT_EQ(lm.host.timesSet[0].second, 7);
}

TEST(TimeCalls, SetTimeIgnoresTheDayOfWeekAndZeroesMilliseconds) {
    LibMachine lm;
    const uint8_t record[] = {0xD5, 0x07, 6, 15, 8, 30, 45, 3};
    for (int i = 0; i < 8; ++i) lm.m.write8(0x4000 + i, record[i]);
    lm.call(sys_SetTime, {0x4000});
    ASSERT_EQ(lm.host.timesSet.size(), 1u);
    const LocalTime& t = lm.host.timesSet[0];
    EXPECT_EQ(t.year, 2005);
    EXPECT_EQ(t.month, 6);
    EXPECT_EQ(t.day, 15);
    EXPECT_EQ(t.hour, 8);
    EXPECT_EQ(t.minute, 30);
    EXPECT_EQ(t.second, 45);
    EXPECT_EQ(t.dayOfWeek, 0);
    EXPECT_EQ(t.millisecond, 0);
}

TEST(TimeCalls, WithoutAHostTheCallsStillKeepTheStackRight) {
    LibMachine lm;
    lm.m.host = nullptr;
    lm.call(sys_Delay, {1000});
    EXPECT_EQ(lm.m.delayCounter, 256u);
    EXPECT_EQ(lm.result(sys_Getms, {}), 0u);
    lm.call(sys_GetTime, {0x3000});
    lm.call(sys_SetTime, {0x3000});
}

}  // namespace
}  // namespace corvane::test
