// The run slice: frame cadence, delay ticks, waiting for keys, closing a program that ended, and
// the limits, against a clock moved by the test.

#include <gtest/gtest.h>

#include <functional>

#include "host/runloop.h"
#include "support/program.h"
#include "tests/host/app_fake_platform.h"
#include "tools/vrnasm/assembler.h"

namespace corvane::test {
namespace {

struct Recorder : RunLoopClient {
    std::vector<std::pair<uint64_t, bool>> frames;
    int ended = 0;
    std::function<void(uint64_t)> onFrame;
    void frame(uint64_t number, bool running) override {
        frames.emplace_back(number, running);
        if (onFrame) onFrame(number);
    }
    void programEnded() override { ++ended; }
};

// The machine reads the same clock as the run loop (Delay stores its reading).
struct ClockHost : FakeHost {
    explicit ClockHost(FakePlatform& c) : clock(c) {}
    FakePlatform& clock;
    uint64_t nowNs() override { return clock.now; }
};

struct Loop {
    explicit Loop(std::string_view source, bool loaded = true)
        : program(assembleOrThrow(source), loaded), host(clock), loop(program.m, clock, client) {
        program.m.host = &host;
    }
    Program program;
    FakePlatform clock;
    ClockHost host;
    Recorder client;
    RunLoop loop;
    Machine& m() { return program.m; }
};

constexpr const char* kSpin = "top: JMP top\n";

TEST(Timing, PeriodsFollowTheConfiguredFrequencyWithoutWrapping) {
    struct Case {
        uint32_t mhz;
        uint64_t frame;
        uint64_t tick;
    };
    const Case cases[] = {
        {1000, 16'666'666, 3'906'250},   // the nanosecond clock: exactly 1/60 s and 1/256 s
        {2000, 33'333'333, 7'812'500},   // configured too high: frames and delays twice as long
        {500, 8'333'333, 1'953'125},     // too low: twice as fast
        {5000, 83'333'333, 19'531'250},  // above 4,294 MHz a 32-bit product would wrap
    };
    for (const Case& c : cases) {
        Timing t = Timing::fromFrequency(c.mhz);
        EXPECT_EQ(t.framePeriodNs, c.frame) << c.mhz;
        EXPECT_EQ(t.tickPeriodNs, c.tick) << c.mhz;
    }
}

TEST(RunLoop, FramesComeOncePerPeriodAndNeverCatchUp) {
    Loop l(kSpin);
    const uint64_t period = l.loop.timing().framePeriodNs;
    // Half a second of slices: a frame whenever a period has passed since the last one.
    while (l.clock.now < 500'000'000) l.loop.slice();
    ASSERT_GE(l.client.frames.size(), 29u);
    ASSERT_LE(l.client.frames.size(), 30u);
    for (size_t i = 0; i < l.client.frames.size(); ++i) {
        EXPECT_EQ(l.client.frames[i].first, i + 1);
        EXPECT_TRUE(l.client.frames[i].second);
    }
    // The loop was held for ten periods (a modal loop): exactly one frame follows at once.
    const size_t before = l.client.frames.size();
    l.clock.now += 10 * period;
    SliceResult first = l.loop.slice();
    SliceResult second = l.loop.slice();
    EXPECT_TRUE(first.frame);
    EXPECT_FALSE(second.frame);
    EXPECT_EQ(l.client.frames.size(), before + 1);
}

TEST(RunLoop, BatchesEndAtTheNextFrame) {
    Loop l(kSpin);
    l.clock.maxBatch = ~uint64_t(0);
    l.loop.setMaxBatch(~uint64_t(0));
    SliceResult s = l.loop.slice();
    // 10 million instructions a second: a frame period is 166,667 instructions, rounded up.
    EXPECT_EQ(s.executed, 166'667u);
    EXPECT_TRUE(l.loop.slice().frame);
}

TEST(RunLoop, NothingRunsWithoutAProgramButFramesKeepTheirCount) {
    Loop l(kSpin, /*loaded=*/false);
    l.m().paused = true;
    for (int i = 0; i < 5; ++i) {
        SliceResult s = l.loop.slice();
        EXPECT_EQ(s.executed, 0u);
        EXPECT_EQ(s.idle, IdleReason::NoProgram);
        l.clock.waitUntil(s.wakeNs);
    }
    EXPECT_EQ(l.loop.instructions(), 0u);
    ASSERT_FALSE(l.client.frames.empty());
    for (auto& f : l.client.frames) EXPECT_FALSE(f.second);  // no presentation, no scan
}

TEST(RunLoop, PausedOrFrozenRunsNothingAndShowsNoFrames) {
    for (bool frozen : {false, true}) {
        Loop l(kSpin);
        if (frozen) {
            l.loop.setFrozen(true);
        } else {
            l.m().paused = true;
        }
        l.clock.now = 100'000'000;
        SliceResult s = l.loop.slice();
        EXPECT_EQ(s.idle, IdleReason::Paused);
        EXPECT_EQ(s.executed, 0u);
        ASSERT_EQ(l.client.frames.size(), 1u);
        EXPECT_FALSE(l.client.frames[0].second);
    }
}

TEST(RunLoop, DelayCountsOneTickPerSliceAndRunsNoInstruction) {
    // Delay 4 ms: 4 x 256 / 1000 = 1 tick.
    Loop l("PUSH_W 4\nDelay\nPUSH_B 1\nEXIT\n");
    SliceResult s = l.loop.slice();
    ASSERT_EQ(s.idle, IdleReason::Delay);
    EXPECT_EQ(l.m().delayCounter, 1u);
    const uint64_t tickDue = l.m().lastDelayNs + l.loop.timing().tickPeriodNs;
    EXPECT_EQ(s.wakeNs, tickDue);
    // Before the tick: nothing runs.
    l.clock.now = tickDue - 1;
    s = l.loop.slice();
    EXPECT_EQ(s.executed, 0u);
    EXPECT_EQ(l.m().delayCounter, 1u);
    // The tick: the counter reaches 0, still no instruction in this slice.
    l.clock.now = tickDue;
    s = l.loop.slice();
    EXPECT_EQ(s.executed, 0u);
    EXPECT_EQ(l.m().delayCounter, 0u);
    EXPECT_EQ(s.idle, IdleReason::None);
    // The program goes on and ends; it is closed in the slice that ran EXIT.
    s = l.loop.slice();
    EXPECT_EQ(s.executed, 2u);
    EXPECT_EQ(l.client.ended, 1);
    EXPECT_EQ(s.idle, IdleReason::NoProgram);
}

TEST(RunLoop, ALongHoldCountsOnlyOneDelayTick) {
    Loop l("PUSH_W 1000\nDelay\nEXIT\n");
    l.loop.slice();
    ASSERT_EQ(l.m().delayCounter, 256u);
    l.clock.now += 1'000'000'000;  // a whole second passes between two slices
    l.loop.slice();
    EXPECT_EQ(l.m().delayCounter, 255u);
}

TEST(RunLoop, ZeroDelayCostsNothing) {
    Loop l("PUSH_B 3\nDelay\nPUSH_B 9\nEXIT\n");  // 3 ms: no whole tick
    SliceResult s = l.loop.slice();
    EXPECT_EQ(s.executed, 4u);
    EXPECT_EQ(l.client.ended, 1);
}

TEST(RunLoop, WaitingForAKeyIdlesUntilAFrameScanBringsOne) {
    Loop l("getchar\nEXIT\n");
    SliceResult s = l.loop.slice();
    EXPECT_EQ(s.idle, IdleReason::WaitKey);
    const uint64_t pcWaiting = l.m().pc;
    // Frames keep coming while the program waits; the third one's scan finds a key.
    l.client.onFrame = [&](uint64_t n) {
        if (n == 3) l.m().keyRegister = 0x80 | 'q';
    };
    while (l.client.ended == 0 && l.clock.now < 1'000'000'000) {
        s = l.loop.slice();
        if (l.client.frames.size() < 3) {
            EXPECT_EQ(l.m().pc, pcWaiting);
        }
        if (s.idle != IdleReason::None) l.clock.waitUntil(s.wakeNs);
    }
    EXPECT_EQ(l.client.ended, 1);
    EXPECT_EQ(l.client.frames.size(), 3u);
    EXPECT_EQ(l.program.top(), 0u + 'q');  // getchar's result, left on the stack
}

TEST(RunLoop, InstructionLimitIsExact) {
    Loop l(kSpin);
    l.loop.setInstructionLimit(2500);
    SliceResult s;
    do {
        s = l.loop.slice();
    } while (s.idle == IdleReason::None);
    EXPECT_EQ(s.idle, IdleReason::Stopped);
    EXPECT_EQ(l.loop.instructions(), 2500u);
    EXPECT_TRUE(l.loop.limitReached());
}

TEST(RunLoop, AStopRequestedByAFrameRunsNothingMore) {
    Loop l(kSpin);
    l.client.onFrame = [&](uint64_t) { l.loop.requestStop(); };
    l.clock.now = l.loop.timing().framePeriodNs;
    SliceResult s = l.loop.slice();
    EXPECT_TRUE(s.frame);
    EXPECT_EQ(s.executed, 0u);
    EXPECT_EQ(l.loop.slice().idle, IdleReason::Stopped);
}

TEST(RunLoop, TraceSeesEveryInstructionOnce) {
    Loop l("PUSH_B 1\nPUSH_B 2\nADD\nEXIT\n");
    std::vector<uint32_t> pcs;
    l.loop.setTrace([&](const Machine& m) { pcs.push_back(m.pc); });
    while (l.client.ended == 0) l.loop.slice();
    EXPECT_EQ(pcs, (std::vector<uint32_t>{16, 18, 20, 21}));
}

}  // namespace
}  // namespace corvane::test
