// The opcode map's system-call signatures are what the reference manual and the tools print,
// so they must match what each handler really does to the operand stack.

#include <gtest/gtest.h>

#include <string>

#include "support/fake_host.h"
#include "vm/dispatch.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane::test {
namespace {

constexpr uint32_t kMarker = 0x5EA1C0DE;

// Runs system call `op` with zero-valued arguments (null strings, zero sizes, invalid handles:
// every call takes its harmless path) above a marker and returns the slots left above it.
int slotsLeftAbove(uint8_t op, int arguments, bool* waits = nullptr) {
    Machine m;
    FakeHost host;
    m.host = &host;
    m.push(kMarker);
    const uint8_t start = m.osp;
    for (int i = 0; i < arguments; ++i) m.push(0);
    kSystemCallHandlers[op - kFirstSystemCall](m);
    if (waits) *waits = m.waitForKey != 0;
    const int left = int(int8_t(uint8_t(m.osp - start))) / 4;
    EXPECT_EQ(m.slot(uint8_t(start - 4)), kMarker)
        << opInfo(op).name << " reached below its arguments";
    return left;
}

TEST(CallSignatures, EveryCallPopsItsArgumentsAndPushesItsResult) {
    for (int op = kFirstSystemCall; op <= kLastSystemCall; ++op) {
        const CallSignature& s = callSignature(uint8_t(op));
        const char* name = opInfo(uint8_t(op)).name;
        SCOPED_TRACE(name);
        if (op == 0x8D) continue;  // exit ends the program; its stack does not matter afterwards
        if (s.pops == kVariadicPops) {
            // The count is pushed last and counts the fixed arguments before it.
            const int fixed = std::string(s.arguments).starts_with("destination") ? 2 : 1;
            Machine m;
            FakeHost host;
            m.host = &host;
            m.push(kMarker);
            const uint8_t start = m.osp;
            for (int i = 0; i < fixed; ++i) m.push(0);
            m.push(uint32_t(fixed));
            kSystemCallHandlers[op - kFirstSystemCall](m);
            EXPECT_EQ(m.osp, start);
            EXPECT_FALSE(s.pushes);
            continue;
        }
        bool waits = false;
        const int left = slotsLeftAbove(uint8_t(op), s.pops, &waits);
        // A call that waits for a key pushes its result when the key arrives.
        EXPECT_EQ(left, s.pushes && !waits ? 1 : 0);
        if (waits) {
            EXPECT_TRUE(s.pushes) << "a waiting call delivers a key code";
        }
    }
}

TEST(CallSignatures, EmptyHandlersLeaveWhatWasPushedForThem) {
    // Beep, MakeDir, DeleteFile and two reserved numbers pop nothing: an argument a program
    // pushes for them stays on the stack, which is why their signatures list none.
    for (uint8_t op : {0x9A, 0xB9, 0xBA, 0xCF, 0xD1}) {
        EXPECT_EQ(callSignature(op).pops, 0) << opInfo(op).name;
        EXPECT_EQ(slotsLeftAbove(op, 1), 1) << opInfo(op).name;
    }
}

TEST(CallSignatures, ArgumentListsAndOpcodesOutsideTheCalls) {
    EXPECT_STREQ(callSignature(0x8A).arguments, "x, y, string, type");
    EXPECT_EQ(callSignature(0x8A).pops, 4);
    EXPECT_EQ(callSignature(0x97).pops, 6);
    EXPECT_EQ(callSignature(0x82).pops, kVariadicPops);
    EXPECT_EQ(callSignature(0xB8).pops, kVariadicPops);
    for (uint8_t op : {0x00, 0x53, 0x7F, 0xD2, 0xFF}) {
        EXPECT_EQ(callSignature(op).pops, 0);
        EXPECT_FALSE(callSignature(op).pushes);
    }
}

}  // namespace
}  // namespace corvane::test
