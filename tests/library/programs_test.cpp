// Library calls inside running programs: waiting for a key through step and run, PutKey feeding
// getchar, Delay stopping the run, and a call that leaves its arguments on the stack.

#include <gtest/gtest.h>

#include "support/program.h"

namespace corvane::test {
namespace {

TEST(KeyPrograms, GetcharWithAKeyAlreadyPendingTakesItAtTheNextStep) {
    Program p(Code().op("getchar").op("PUSH_B").u8(7).op("EXIT"));
    p.m.keyRegister = 0x80 | 'k';
    step(p.m);  // getchar
    EXPECT_EQ(p.m.waitForKey, 1);
    const uint32_t pcAfterGetchar = p.m.pc;
    step(p.m);  // the key is delivered; no instruction runs
    EXPECT_EQ(p.m.pc, pcAfterGetchar);
    EXPECT_EQ(p.m.waitForKey, 0);
    EXPECT_EQ(p.top(), uint32_t('k'));
    EXPECT_EQ(p.m.keyRegister, 'k');
    step(p.m);  // PUSH_B 7
    EXPECT_EQ(p.top(), 7u);
    EXPECT_EQ(p.below(1), uint32_t('k'));
}

TEST(KeyPrograms, RunStopsWhileWaitingAndGoesOnWhenTheKeyArrives) {
    Program p(Code().op("GetWord").op("PUSH_B").u8(9).op("EXIT"));
    p.m.push(0x1234);  // GetWord's ignored argument
    RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::WaitKey);
    const uint32_t pc = p.m.pc;
    r = p.run();
    EXPECT_EQ(r.stop, RunStop::WaitKey);
    EXPECT_EQ(r.executed, 0u);
    EXPECT_EQ(p.m.pc, pc);

    p.m.keyRegister = 0x80 | 0x1B;  // as the keyboard scan stores Esc
    r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(p.m.osp, 8);  // the key code, then 9; the argument was removed
    EXPECT_EQ(p.below(1), 0x1Bu);
    EXPECT_EQ(p.top(), 9u);
}

TEST(KeyPrograms, PutKeyFeedsGetchar) {
    Program p(Code().op("PUSH_W").u16(200).op("PutKey").op("getchar").op("EXIT"));
    const RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(p.m.osp, 4);
    EXPECT_EQ(p.top(), 72u);
}

TEST(TimePrograms, DelayStopsTheRunOnlyWhenItCounts) {
    Program p(Code().op("PUSH_W").u16(3).op("Delay").op("PUSH_W").u16(1000).op("Delay").op("EXIT"));
    p.host.now = 5'000'000;
    const RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Delay);
    EXPECT_EQ(r.executed, 4u);  // the 3 ms delay did not stop it
    EXPECT_EQ(p.m.delayCounter, 256u);
    EXPECT_EQ(p.m.lastDelayNs, 5'000'000u);
    EXPECT_EQ(p.m.osp, 0);
}

TEST(ReservedPrograms, EmptyHandlersLeaveTheirArgumentsOnTheStack) {
    Program p(Code()
                  .op("PUSH_B")
                  .u8(1)
                  .op("DeleteFile")
                  .op("PUSH_B")
                  .u8(2)
                  .op("PUSH_B")
                  .u8(3)
                  .op("PUSH_B")
                  .u8(4)
                  .op("ReservedCC")
                  .op("PUSH_B")
                  .u8(5)
                  .op("ReservedD0")
                  .op("EXIT"));
    p.run();
    EXPECT_EQ(p.m.osp, 8);  // 1 left by DeleteFile, 0 pushed by ReservedCC
    EXPECT_EQ(p.below(1), 1u);
    EXPECT_EQ(p.top(), 0u);
}

}  // namespace
}  // namespace corvane::test
