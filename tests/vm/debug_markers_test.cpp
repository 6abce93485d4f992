// Line and function markers: the stop test, the stop itself and the function-marker stack.

#include <gtest/gtest.h>

#include <vector>

#include "support/program.h"
#include "vm/memory_map.h"

namespace corvane::test {
namespace {

// main (function 1): LINE 10; CALL f; LINE 11; EXIT.  f (function 2): LINE 20; [LINE 0;] RET.
Code twoFunctions(bool lineZero) {
    Code code;
    code.op("SETSP").u16(0x3000).op("FUNC").u24(1).op("LINE").u24(10).op("CALL");
    const uint32_t call = code.here();
    code.u24(0).op("LINE").u24(11).op("EXIT");
    code.patch24(call, code.here());
    code.op("ENTER").u16(5).u8(0).op("FUNC").u24(2).op("LINE").u24(20);
    if (lineZero) code.op("LINE").u24(0);
    code.op("RET");
    return code;
}

// Runs to the end, resuming each stop with `resumeWith`; returns the lines it stopped at.
std::vector<uint32_t> stops(int32_t stopValue, int32_t resumeWith, bool lineZero = true) {
    Program p(twoFunctions(lineZero));
    p.m.debug.stopValue = stopValue;
    for (int guard = 0; guard < 10; ++guard) {
        const RunResult r = p.run();
        if (r.stop != RunStop::Paused) break;
        p.m.paused = false;
        p.m.debug.stopValue = resumeWith;
    }
    EXPECT_FALSE(p.m.faulted) << p.m.faultReason;
    EXPECT_EQ(p.host.snapshots.size(), p.host.stopNotices.size());
    return p.host.stopNotices;
}

TEST(LineMarker, StopTestByStopValue) {
    using V = std::vector<uint32_t>;
    EXPECT_EQ(stops(-1, -1), V{});
    EXPECT_EQ(stops(-2, -2), (V{10, 20, 0, 11}));
    EXPECT_EQ(stops(20, 20), V{20});
    EXPECT_EQ(stops(1 << 24, 1 << 24), V{});
    EXPECT_EQ(stops(-5, -5), V{});
    // Stop value 0: the first marker stops; resumed with 0, only markers of the function of
    // the last stop do, except line 0, which stops anywhere. The stop at line 0 in f makes f
    // the last stop function, so line 11 back in main runs through.
    EXPECT_EQ(stops(0, 0), (V{10, 0}));
    EXPECT_EQ(stops(0, 0, false), (V{10, 11}));
    // Resumed with another value, the stop test follows the new value.
    EXPECT_EQ(stops(0, 11), (V{10, 11}));
}

TEST(LineMarker, StopPausesAndSendsTheSnapshotThenTheNotice) {
    Code code;
    code.op("FUNC").u24(65541).op("INITDATA").u16(0x2000).u16(2).raw({0xAB, 0xCD});
    code.op("INITDATA").u16(0x6FFF).u16(1).raw({0xEF});
    code.op("LINE").u24(0x123456).op("PUSH_B").u8(1).op("EXIT");
    Program p(code);
    p.m.debug.stopValue = -2;
    p.m.fp = 0x2345;
    const RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Paused);
    EXPECT_TRUE(p.m.paused);
    EXPECT_TRUE(p.m.programLoaded);
    ASSERT_EQ(p.host.snapshots.size(), 1u);
    EXPECT_EQ(p.host.snapshots[0].dataWord, (5u << 16) + 0x2345);  // low 16 bits of 65541
    ASSERT_EQ(p.host.snapshots[0].data.size(), size_t(kDataAreaSize));
    EXPECT_EQ(p.host.snapshots[0].data[0], 0xAB);
    EXPECT_EQ(p.host.snapshots[0].data[kDataAreaSize - 1], 0xEF);
    EXPECT_EQ(p.host.stopNotices, std::vector<uint32_t>{0x123456});
    EXPECT_EQ(p.m.debug.lastStopFunction, 65541u);
    // Resumed, it continues after the marker.
    p.m.paused = false;
    p.m.debug.stopValue = -1;
    EXPECT_EQ(p.run().stop, RunStop::Ended);
    EXPECT_EQ(p.top(), 1u);
}

// A debugger that resumes while it handles the snapshot.
class ResumingHost : public FakeHost {
  public:
    Machine* machine = nullptr;
    void debugSnapshot(uint32_t dataWord, const uint8_t* data, uint32_t size) override {
        FakeHost::debugSnapshot(dataWord, data, size);
        machine->paused = false;
        machine->debug.stopValue = -1;
    }
};

TEST(LineMarker, ResumeDuringTheSnapshotTakesEffect) {
    Program p(Code{}.op("LINE").u24(3).op("PUSH_B").u8(7).op("EXIT"));
    ResumingHost host;
    host.machine = &p.m;
    p.m.host = &host;
    p.m.debug.stopValue = 3;
    const RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(p.top(), 7u);
    EXPECT_EQ(host.stopNotices, std::vector<uint32_t>{3});
}

TEST(LineMarker, StopsWithoutAHostToo) {
    Program p(Code{}.op("LINE").u24(0).op("EXIT"));
    p.m.host = nullptr;
    p.m.debug.stopValue = 0;
    EXPECT_EQ(p.run().stop, RunStop::Paused);
}

TEST(FunctionMarker, RetRestoresTheCallersIdentifier) {
    Code code;
    code.op("SETSP").u16(0x3000).op("FUNC").u24(3).op("CALL");
    const uint32_t call = code.here();
    code.u24(0).op("EXIT");
    code.patch24(call, code.here());
    code.op("ENTER").u16(5).u8(0).op("FUNC").u24(5).op("PUSH_B").u8(0).op("POP_COND").op("RET");
    Program p(code);
    p.run(5);  // up to the inner FUNC
    EXPECT_EQ(p.m.debug.currentFunction, 5u);
    EXPECT_EQ(p.m.debug.functionDepth, 2u);
    p.run();
    EXPECT_EQ(p.m.debug.currentFunction, 3u);
    EXPECT_EQ(p.m.debug.functionDepth, 1u);
    // The stack survives a reset: the next run starts above the entry left behind.
    p.restart();
    EXPECT_EQ(p.m.debug.functionDepth, 1u);
}

TEST(FunctionMarker, PushesBeyondTheStackAreDropped) {
    Code code;
    const uint32_t top = code.here();
    code.op("FUNC").u24(0).op("JMP").u24(top);
    Program p(code);
    p.m.debug.functionDepth = kFunctionStackSize - 1;
    p.m.debug.currentFunction = 77;
    p.run(2 * 3);  // three FUNCs
    EXPECT_EQ(p.m.debug.functionDepth, uint32_t(kFunctionStackSize));
    EXPECT_EQ(p.m.debug.functionStack[kFunctionStackSize - 1], 77u);
    EXPECT_EQ(p.m.debug.currentFunction, 0u);
    EXPECT_EQ(p.m.debug.lastStopFunction, 0u);
}

}  // namespace
}  // namespace corvane::test
