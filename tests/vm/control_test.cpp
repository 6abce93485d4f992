// Jumps, calls and frames, initial data, the end of a program, invalid code and the image bound.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/program.h"
#include "vm/memory_map.h"

namespace corvane::test {
namespace {

// Runs `cond`-setting code followed by a conditional jump; reports whether it jumped.
bool jumps(const char* jump, uint32_t cond) {
    Code code;
    code.op("PUSH_D").u32(cond).op("POP_COND").op(jump);
    const uint32_t operand = code.here();
    code.u24(0);
    code.op("PUSH_B").u8(1).op("EXIT");  // fall-through marks 1
    code.patch24(operand, code.here());
    code.op("PUSH_B").u8(2).op("EXIT");  // target marks 2
    Program p(code);
    p.run();
    EXPECT_FALSE(p.m.faulted) << p.m.faultReason;
    return p.top() == 2;
}

TEST(Jumps, ConditionalJumpsTestCond) {
    const std::tuple<const char*, uint32_t, bool> cases[] = {
        {"JZ", 0, true},   {"JZ", 1, false}, {"JZ", 0xFFFFFFFF, false}, {"JZ", 0x100, false},
        {"JNZ", 0, false}, {"JNZ", 1, true}, {"JNZ", 0xFFFFFFFF, true}, {"JNZ", 0x100, true},
    };
    for (auto [jump, cond, taken] : cases) EXPECT_EQ(jumps(jump, cond), taken) << jump << cond;
}

TEST(Jumps, CondSurvivesJumpsAndPopCondPopsOnlyOneSlot) {
    Code code;
    code.op("PUSH_B").u8(7).op("PUSH_B").u8(0).op("POP_COND").op("JNZ");
    const uint32_t first = code.here();
    code.u24(0).op("JZ");
    const uint32_t second = code.here();
    code.u24(0).op("EXIT");
    code.patch24(first, code.here());  // never taken
    code.patch24(second, code.here());
    code.op("PUSH_B").u8(9).op("EXIT");
    Program p(code);
    p.run();
    EXPECT_EQ(p.top(), 9u);
    EXPECT_EQ(p.below(1), 7u);
    EXPECT_EQ(p.m.cond, 0u);
}

TEST(Frames, CallStoresTheReturnAddressAtSp) {
    // Pad to put CALL at code address 0x120.
    Code code;
    code.op("SETSP").u16(0x3000);
    while (code.here() < 0x120) code.op("NOP");
    code.op("CALL").u24(0x200);
    Program p(code);
    p.run(1 + (0x120 - 0x13) + 1);
    EXPECT_EQ(p.m.pc, 0x200u);
    EXPECT_EQ(p.m.mem[0x3000], 0x24);
    EXPECT_EQ(p.m.mem[0x3001], 0x01);
    EXPECT_EQ(p.m.mem[0x3002], 0x00);
    EXPECT_EQ(p.m.sp, 0x3000);
}

TEST(Frames, EnterBuildsTheFrameFromTheOperandRing) {
    Program p(
        Code{}.op("PUSH_B").u8(10).op("PUSH_B").u8(20).op("ENTER").u16(0x15).u8(2).op("EXIT"));
    p.m.sp = 0x3000;
    p.m.fp = 0x2F00;
    p.run();
    EXPECT_EQ(p.m.mem[0x3003], 0x00);
    EXPECT_EQ(p.m.mem[0x3004], 0x2F);
    EXPECT_EQ(p.m.fp, 0x3000);
    EXPECT_EQ(p.m.sp, 0x3015);
    EXPECT_EQ(p.m.read32(0x3005), 10u);
    EXPECT_EQ(p.m.read32(0x3009), 20u);
    EXPECT_EQ(p.m.osp, 0);
}

TEST(Frames, EnterWithoutArgumentsLeavesTheRingAlone) {
    Program p(Code{}.op("PUSH_B").u8(10).op("ENTER").u16(5).u8(0).op("EXIT"));
    p.m.sp = 0x3000;
    p.run();
    EXPECT_EQ(p.m.osp, 4);
    EXPECT_EQ(p.m.read32(0x3005), 0u);
}

// Arguments that straddle the end of the operand ring: the first at ring bytes 252-255, the
// second wrapped to 0-3. The frame must hold them in push order and osp step back over both.
TEST(Frames, EnterCopiesArgumentsThatWrapAroundTheOperandRing) {
    Program p(Code{}
                  .op("PUSH_D")
                  .u32(0x44332211)
                  .op("PUSH_D")
                  .u32(0x88776655)
                  .op("ENTER")
                  .u16(0x15)
                  .u8(2)
                  .op("EXIT"));
    p.m.sp = 0x3000;
    p.m.osp = 252;
    p.run();
    EXPECT_FALSE(p.m.faulted) << p.m.faultReason;
    const uint8_t frame[] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    for (size_t i = 0; i < sizeof frame; ++i) {
        EXPECT_EQ(p.m.mem[0x3005 + i], frame[i]) << "frame byte " << i;
    }
    EXPECT_EQ(p.m.osp, 252);
    EXPECT_EQ(p.m.sp, 0x3015);
}

// ENTER's argument copy wherever the frame and the operand ring lie: memory must end as a copy
// one byte at a time from the ring leaves it, also when osp is not a slot's start (a restored
// state may carry any osp) and when the frame lies over the ring itself, ahead of the arguments,
// behind them or across an edge of the ring.
TEST(Frames, EnterCopiesAsOneByteAtATimeWhereverFrameAndRingLie) {
    struct Case {
        const char* what;
        uint8_t osp;  // before the two pushes
        uint32_t sp;  // the frame's base; its arguments go to sp + 5
    };
    const Case cases[] = {
        {"osp inside a slot", 254, 0x3000},
        {"osp inside a slot, wrapping", 250, 0x3000},
        {"frame over the ring, two bytes ahead of the arguments", 0, kOperandRing + 2 - 5},
        {"frame over the ring, two bytes behind the arguments", 8, kOperandRing + 6 - 5},
        {"frame exactly on the arguments", 16, kOperandRing + 16 - 5},
        {"frame across the ring's start", 0, kOperandRing - 4 - 5},
        {"frame across the ring's end", 8, kOperandRing + 252 - 5},
        {"frame across the top of memory", 0, 0xFFFC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Program p(Code{}
                      .op("PUSH_D")
                      .u32(0x44332211)
                      .op("PUSH_D")
                      .u32(0x88776655)
                      .op("ENTER")
                      .u16(0x15)
                      .u8(2)
                      .op("EXIT"));
        p.m.osp = c.osp;
        p.m.sp = uint16_t(c.sp);
        p.m.fp = 0x2F00;
        p.run(2);
        ASSERT_FALSE(p.m.faulted) << p.m.faultReason;

        // The model: caller's fp at sp + 3, then the arguments one byte at a time.
        std::vector<uint8_t> want(p.m.mem.begin(), p.m.mem.end());
        want[(c.sp + 3) & 0xFFFF] = 0x00;
        want[(c.sp + 4) & 0xFFFF] = 0x2F;
        const uint8_t osp = uint8_t(p.m.osp - 8);
        for (uint32_t i = 0; i < 8; ++i)
            want[(c.sp + 5 + i) & 0xFFFF] = want[kOperandRing + uint8_t(osp + i)];

        p.run(1);
        ASSERT_FALSE(p.m.faulted) << p.m.faultReason;
        EXPECT_EQ(p.m.osp, osp);
        EXPECT_EQ(p.m.fp, uint16_t(c.sp));
        for (uint32_t a = 0; a < want.size(); ++a) {
            ASSERT_EQ(p.m.mem[a], want[a]) << "byte at 0x" << std::hex << a;
        }
    }
}

TEST(Frames, ArgumentCopyWrapsAtTheTopOfMemory) {
    Program p(Code{}.op("PUSH_D").u32(0x44332211).op("ENTER").u16(9).u8(1).op("EXIT"));
    p.m.sp = 0xFFFC;
    p.run();
    EXPECT_EQ(p.m.mem[0xFFFF], 0x00);  // high byte of fp at sp + 3 = 0xFFFF
    EXPECT_EQ(p.m.mem[0x0001], 0x11);  // arguments at fp + 5 = 0x0001
    EXPECT_EQ(p.m.mem[0x0004], 0x44);
    EXPECT_EQ(p.m.sp, 0x0005);
}

TEST(Frames, CallEnterRetRoundTripKeepsTheResultOnTheStack) {
    // main: sp := 0x3000; push 41; call inc; exit.  inc(x): enter; push x + 1; ret.
    Code code;
    code.op("SETSP").u16(0x3000).op("PUSH_B").u8(41).op("CALL");
    const uint32_t callOperand = code.here();
    code.u24(0);
    const uint32_t afterCall = code.here();
    code.op("EXIT");
    code.patch24(callOperand, code.here());
    code.op("ENTER").u16(9).u8(1).op("LDL_L").u16(5).op("ADDI").u16(1).op("RET");
    Program p(code);
    p.m.fp = 0x2000;
    const RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(p.m.pc, afterCall + 1);  // past the EXIT
    EXPECT_EQ(p.top(), 42u);
    EXPECT_EQ(p.m.osp, 4);
    EXPECT_EQ(p.m.fp, 0x2000);
    EXPECT_EQ(p.m.sp, 0x3000);
}

TEST(InitData, CopiesTheInlineBytesAndContinuesAfterThem) {
    Program p(
        Code{}.op("INITDATA").u16(0x2000).u16(3).raw({1, 2, 3}).op("PUSH_B").u8(4).op("EXIT"));
    p.run();
    EXPECT_EQ(p.m.mem[0x2000], 1);
    EXPECT_EQ(p.m.mem[0x2002], 3);
    EXPECT_EQ(p.m.mem[0x2003], 0);
    EXPECT_EQ(p.top(), 4u);
}

TEST(InitData, ZeroCountAndWrapAndOverrun) {
    Program zero(Code{}.op("INITDATA").u16(0x2000).u16(0).op("PUSH_B").u8(4).op("EXIT"));
    zero.run();
    EXPECT_EQ(zero.top(), 4u);

    Program wrap(Code{}.op("INITDATA").u16(0xFFFF).u16(2).raw({0xAA, 0xBB}).op("EXIT"));
    wrap.run();
    EXPECT_EQ(wrap.m.mem[0xFFFF], 0xAA);
    EXPECT_EQ(wrap.m.mem[0x0000], 0xBB);

    // A count that reaches past the image must not read beyond it.
    Program overrun(Code{}.op("INITDATA").u16(0x2000).u16(0xFFFF).raw({1, 2}));
    overrun.run();
    EXPECT_TRUE(overrun.m.faulted);
    EXPECT_EQ(overrun.m.mem[0x2000], 0);
}

struct TempFiles {
    std::FILE* a = std::tmpfile();
    std::FILE* b = std::tmpfile();
};

TEST(Exit, ClosesOpenFilesAndClearsTheLoadedFlag) {
    for (const char* exitOp : {"EXIT", "exit"}) {
        Program p(Code{}.op(exitOp).op("PUSH_B").u8(1));
        TempFiles f;
        p.m.files[0] = {true, f.a, "", false, ""};
        p.m.files[2] = {true, f.b, "", false, ""};
        const RunResult r = p.run();
        EXPECT_EQ(r.stop, RunStop::Ended) << exitOp;
        EXPECT_EQ(r.executed, 1u) << exitOp;
        EXPECT_FALSE(p.m.programLoaded);
        EXPECT_FALSE(p.m.faulted);
        for (const FileSlot& s : p.m.files) {
            EXPECT_FALSE(s.inUse) << exitOp;
            EXPECT_EQ(s.stream, nullptr) << exitOp;
        }
        EXPECT_EQ(p.m.pc, 17u) << "pc stays after the opcode";
        // A second end (the host's close after an end by itself) closes nothing twice.
        endProgram(p.m);
    }
}

TEST(Exit, StreamOrphanedByAResetIsClosedAtTheNextEnd) {
    Program p(Code{}.op("EXIT"));
    p.m.files[1] = {true, std::tmpfile(), "", false, ""};
    resetMachine(p.m);
    EXPECT_FALSE(p.m.files[1].inUse);
    p.run();
    EXPECT_EQ(p.m.files[1].stream, nullptr);
}

TEST(InvalidCode, EveryOpcodeOutsideTheMapFaultsWithItsAddress) {
    for (int op = 0; op < 256; ++op) {
        if ((op >= 0x54 && op < 0x80) || op >= 0xD2) {
            Program p(Code{}.op("NOP").op(uint8_t(op)).op("EXIT"));
            const RunResult r = p.run();
            EXPECT_EQ(r.executed, 2u);
            EXPECT_EQ(r.stop, RunStop::Ended);
            char expected[64];
            std::snprintf(expected, sizeof expected, "invalid opcode 0x%02X at 0x000011", op);
            EXPECT_STREQ(p.m.faultReason, expected);
        }
    }
}

TEST(InvalidCode, FetchesPastTheImageFault) {
    struct Case {
        Code code;
        const char* reason;
    };
    const Case cases[] = {
        {Code{}.op("NOP"), "pc outside the program image at 0x000011"},
        {Code{}.op("JMP").u24(0x123456), "pc outside the program image at 0x123456"},
        {Code{}.op("PUSH_D").u16(0x1234),
         "instruction 0x03 at 0x000010 runs past the end of the program image"},
        {Code{}.op("NOP").op("ENTER").u16(5),
         "instruction 0x3E at 0x000011 runs past the end of the program image"},
        {Code{}.op("PUSH_W").u8(1),
         "instruction 0x02 at 0x000010 runs past the end of the program image"},
    };
    for (const Case& c : cases) {
        Program p(c.code);
        const RunResult r = p.run();
        EXPECT_EQ(r.stop, RunStop::Ended) << c.reason;
        EXPECT_STREQ(p.m.faultReason, c.reason);
        // step faults the same way.
        Program q(c.code);
        for (int i = 0; i < 4 && q.m.programLoaded; ++i) step(q.m);
        EXPECT_STREQ(q.m.faultReason, c.reason);
    }
}

// A RET whose frame holds no return address into the program names itself and where it went,
// alone and at the end of a fused run, in the run loop and step by step. A jump into the header
// or past the end, also after a RET that went well, is no RET's fault.
TEST(InvalidCode, ReturnsOutsideTheProgramNameTheRet) {
    struct Case {
        const char* name;
        Code code;
        uint32_t frame;     // the frame RET reads: fp, and sp at the start
        uint32_t returnTo;  // written at the frame as its return address
        const char* reason;
        bool fused;  // the RET ends a fused run in the run loop
    };
    // SETSP(3) JMP(4): the function at 0x17 is entered without a CALL, so its frame holds
    // whatever lies at sp.
    auto entered = [](Code body) {
        Code c;
        c.op("SETSP").u16(0x3000).op("JMP").u24(0x17);
        for (uint8_t b : body.bytes()) c.u8(b);
        return c;
    };
    const Case cases[] = {
        {"plain RET to 0", Code{}.op("NOP").op("RET"), 0x3000, 0,
         "RET at 0x000011 returned to 0x000000, outside the program", false},
        {"plain RET into the header", Code{}.op("RET"), 0x3000, 0x0F,
         "RET at 0x000010 returned to 0x00000F, outside the program", false},
        {"plain RET past the end", Code{}.op("RET").op("EXIT"), 0x3000, 0x123456,
         "RET at 0x000010 returned to 0x123456, outside the program", false},
        {"RET after LDL_L", Code{}.op("LDL_L").u16(5).op("RET"), 0x3000, 0,
         "RET at 0x000013 returned to 0x000000, outside the program", true},
        {"RET of a one-line function",
         entered(Code{}.op("ENTER").u16(9).u8(0).op("LDL_L").u16(5).op("ADDI").u16(1).op("RET")),
         0x3000, 0, "RET at 0x000021 returned to 0x000000, outside the program", true},
        {"RET to the last byte", Code{}.op("RET").op("EXIT"), 0x3000, 0x12,
         "RET at 0x000010 returned to 0x000012, outside the program", false},
        {"jump into the header", Code{}.op("JMP").u24(4), 0x3000, 0,
         "pc outside the program image at 0x000004", false},
        {"jump past the end after a good RET",
         Code{}.op("SETSP").u16(0x3000).op("CALL").u24(0x1A).op("JMP").u24(0x9999).op("RET"),
         0x3000, 0, "pc outside the program image at 0x009999", false},
    };
    for (const Case& c : cases) {
        for (bool stepwise : {false, true}) {
            Program p(c.code);
            p.m.fp = uint16_t(c.frame);
            p.m.sp = uint16_t(c.frame);
            p.m.mem[c.frame] = uint8_t(c.returnTo);
            p.m.mem[c.frame + 1] = uint8_t(c.returnTo >> 8);
            p.m.mem[c.frame + 2] = uint8_t(c.returnTo >> 16);
            uint32_t fusedAt = 0;
            if (stepwise) {
                for (int i = 0; i < 20 && p.m.programLoaded; ++i) step(p.m);
            } else {
                p.run();
                for (uint32_t at = kImageHeaderSize; at < p.m.imageSize; ++at) {
                    if (p.m.decoded.kinds[at] >= kKindFirstFused) fusedAt = at;
                }
            }
            EXPECT_FALSE(p.m.programLoaded) << c.name;
            EXPECT_STREQ(p.m.faultReason, c.reason) << c.name << (stepwise ? ", stepwise" : "");
            if (!stepwise) {
                EXPECT_EQ(fusedAt != 0, c.fused) << c.name;
            }
        }
    }
}

TEST(NotAvailable, NamesTheCallInUpperCaseHex) {
    Program p(Code{}.op("EXIT"));
    notAvailable(p.m, 0xAB);
    EXPECT_STREQ(p.m.faultReason, "system call 0xAB not available");
    EXPECT_FALSE(p.m.programLoaded);
    EXPECT_TRUE(p.m.stopRun);
}

}  // namespace
}  // namespace corvane::test
