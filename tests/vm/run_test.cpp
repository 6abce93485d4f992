// The batch run: why it stops, what it counts, and the key delivery to a waiting getchar.

#include <gtest/gtest.h>

#include "support/program.h"

namespace corvane::test {
namespace {

Code endlessLoop() {
    Code code;
    const uint32_t top = code.here();
    code.op("PUSH_B").u8(1).op("POP_COND").op("JMP").u24(top);
    return code;
}

TEST(Run, StopsAfterTheBudget) {
    Program p(endlessLoop());
    const RunResult r = p.run(1000);
    EXPECT_EQ(r.stop, RunStop::Budget);
    EXPECT_EQ(r.executed, 1000u);
    EXPECT_EQ(p.run(1).executed, 1u);
    EXPECT_EQ(p.run(0).executed, 0u);
}

TEST(Run, ReturnsAtOnceWhenTheMachineCannotRun) {
    struct Case {
        const char* what;
        void (*set)(Machine&);
        RunStop stop;
    };
    const Case cases[] = {
        {"not loaded", [](Machine& m) { m.programLoaded = false; }, RunStop::Ended},
        {"paused", [](Machine& m) { m.paused = true; }, RunStop::Paused},
        {"delaying", [](Machine& m) { m.delayCounter = 3; }, RunStop::Delay},
        {"waiting, no key", [](Machine& m) { m.waitForKey = 1; }, RunStop::WaitKey},
        {"waiting, code without bit 7",
         [](Machine& m) {
             m.waitForKey = 1;
             m.keyRegister = 0x12;
         },
         RunStop::WaitKey},
    };
    for (const Case& c : cases) {
        Program p(endlessLoop());
        c.set(p.m);
        const RunResult r = p.run(100);
        EXPECT_EQ(r.stop, c.stop) << c.what;
        EXPECT_EQ(r.executed, 0u) << c.what;
        EXPECT_EQ(p.m.pc, 16u) << c.what;
    }
}

TEST(Run, GetcharWaitsThenTakesTheKeyAndGoesOn) {
    Program p(Code{}.op("getchar").op("PUSH_B").u8(5).op("EXIT"));
    RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::WaitKey);
    EXPECT_EQ(r.executed, 1u);
    EXPECT_EQ(p.m.pc, 17u);
    EXPECT_EQ(p.m.osp, 0);

    p.m.keyRegister = 0x80 | 0x23;
    r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(r.executed, 2u);  // the delivery is not an instruction
    EXPECT_EQ(p.below(1), 0x23u);
    EXPECT_EQ(p.top(), 5u);
    EXPECT_EQ(p.m.keyRegister, 0x23);
    EXPECT_EQ(p.m.waitForKey, 0);
}

TEST(Step, PendingKeyIsDeliveredInAStepOfItsOwn) {
    Program p(Code{}.op("getchar").op("PUSH_B").u8(5).op("EXIT"));
    p.m.keyRegister = 0x80 | 0x7F;
    step(p.m);  // getchar
    EXPECT_EQ(p.m.waitForKey, 1);
    step(p.m);  // delivery only: pc does not move
    EXPECT_EQ(p.m.pc, 17u);
    EXPECT_EQ(p.m.osp, 4);
    EXPECT_EQ(p.top(), 0x7Fu);
    EXPECT_EQ(p.m.keyRegister, 0x7F);
    step(p.m);  // PUSH_B
    EXPECT_EQ(p.top(), 5u);
    // A step while waiting without a key does nothing at all.
    p.m.waitForKey = 1;
    step(p.m);
    EXPECT_EQ(p.m.pc, 19u);
    EXPECT_EQ(p.m.osp, 8);
}

TEST(Step, ResetDuringTheWaitRestartsAtTheFirstInstruction) {
    Program p(Code{}.op("NOP").op("getchar").op("EXIT"));
    p.run();
    ASSERT_EQ(p.m.waitForKey, 1);
    p.restart();
    EXPECT_EQ(p.m.waitForKey, 0);
    EXPECT_EQ(p.m.pc, 16u);
    EXPECT_EQ(p.run(1).stop, RunStop::Budget);
}

TEST(Run, DelayStopsTheRunAndAZeroDelayDoesNot) {
    Program p(Code{}.op("PUSH_W").u16(1000).op("Delay").op("PUSH_B").u8(0).op("Delay").op("EXIT"));
    RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Delay);
    EXPECT_EQ(r.executed, 2u);
    EXPECT_EQ(p.m.delayCounter, 256u);
    p.m.delayCounter = 0;
    r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(r.executed, 3u);
}

TEST(Run, EndInTheMiddleOfABudgetCountsTheEndingInstruction) {
    Program p(Code{}.op("NOP").op("NOP").op("EXIT").op("NOP"));
    const RunResult r = p.run(100);
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(r.executed, 3u);
    EXPECT_EQ(p.run(100).executed, 0u);
}

}  // namespace
}  // namespace corvane::test
