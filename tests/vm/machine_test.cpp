// Operand ring, memory widths and wrapping, and what the machine reset does and does not touch.

#include <gtest/gtest.h>

#include "support/program.h"
#include "vm/memory_map.h"

namespace corvane::test {
namespace {

TEST(OperandRing, SixtyFifthPushOverwritesTheOldestSlot) {
    Program p(Code{}.op("EXIT"));
    Machine& m = p.m;
    for (uint32_t v = 1; v <= 65; ++v) m.push(v);
    EXPECT_EQ(m.osp, 4);
    std::vector<uint32_t> popped;
    for (int i = 0; i < 65; ++i) popped.push_back(m.pop());
    EXPECT_EQ(popped[0], 65u);
    EXPECT_EQ(popped[1], 64u);
    EXPECT_EQ(popped[63], 2u);
    EXPECT_EQ(popped[64], 65u);  // the first slot was overwritten by the 65th push
}

TEST(OperandRing, PopAfterResetReadsTheLastSlotOfTheRing) {
    Program p(Code{}.op("EXIT"));
    p.m.write32(0x76FC, 0xCAFEBABE);
    EXPECT_EQ(p.m.pop(), 0xCAFEBABEu);
    EXPECT_EQ(p.m.osp, 252);
}

TEST(OperandRing, OrdinaryStoresIntoTheRingChangeWhatPopsReturn) {
    // PUSH_B 1; then overwrite that slot with ASSIGN through a long TypedAddr at 0x7600.
    Program p(Code{}
                  .op("PUSH_B")
                  .u8(1)
                  .op("PUSH_D")
                  .u32(0x00047600)
                  .op("PUSH_W")
                  .u16(0x1234)
                  .op("ASSIGN")
                  .op("EXIT"));
    p.run();
    // ASSIGN popped the address and value and pushed the value again at 0x7604; the slot at
    // 0x7600 (the first push) now holds the stored value.
    EXPECT_EQ(p.m.slot(0), 0x1234u);
}

TEST(Memory, WidthsAndExtensions) {
    Program p(Code{}.op("EXIT"));
    Machine& m = p.m;
    m.write32(0x2000, 0x12345678);
    EXPECT_EQ(m.mem[0x2000], 0x78);
    EXPECT_EQ(m.mem[0x2003], 0x12);
    m.write16(0x2010, 0x8000);
    m.write8(0x2020, 0xFF);

    struct Case {
        const char* op;
        uint16_t addr;
        uint32_t expected;
    };
    const Case cases[] = {
        {"LDG_L", 0x2000, 0x12345678}, {"LDG_I", 0x2000, 0x5678},     {"LDG_C", 0x2000, 0x78},
        {"LDG_I", 0x2010, 0xFFFF8000}, {"LDG_C", 0x2011, 0x80},       {"LDG_C", 0x2020, 255},
        {"LDG_I", 0x2020, 0x000000FF}, {"LDG_L", 0x2010, 0x00008000},
    };
    for (const Case& c : cases) {
        Program q(Code{}.op(c.op).u16(c.addr).op("EXIT"));
        q.m.mem = m.mem;
        q.run();
        EXPECT_EQ(q.top(), c.expected) << c.op << " " << std::hex << c.addr;
    }
}

TEST(Memory, MultiByteAccessesWrapAtTheTopOfMemory) {
    Program p(Code{}.op("EXIT"));
    Machine& m = p.m;
    m.write32(0xFFFE, 0xAABBCCDD);
    EXPECT_EQ(m.mem[0xFFFE], 0xDD);
    EXPECT_EQ(m.mem[0xFFFF], 0xCC);
    EXPECT_EQ(m.mem[0x0000], 0xBB);
    EXPECT_EQ(m.mem[0x0001], 0xAA);
    EXPECT_EQ(m.read32(0xFFFE), 0xAABBCCDDu);
    EXPECT_EQ(m.read32(0x1FFFE), 0xAABBCCDDu);  // only the low 16 bits of an address count
    m.write16(0xFFFF, 0x1122);
    EXPECT_EQ(m.mem[0xFFFF], 0x22);
    EXPECT_EQ(m.mem[0x0000], 0x11);
    EXPECT_EQ(m.read16(0xFFFF), 0x1122u);
}

TEST(Reset, BitReverseTable) {
    Program p(Code{}.op("EXIT"));
    const std::pair<int, int> cases[] = {{0x01, 0x80}, {0x03, 0xC0}, {0xA0, 0x05}, {0xFF, 0xFF},
                                         {0x80, 0x01}, {0xF0, 0x0F}, {0x00, 0x00}, {0x12, 0x48}};
    for (auto [in, out] : cases) EXPECT_EQ(p.m.bitReverse[in], out) << in;
}

TEST(Reset, SetsItsRegistersAndClearsDataAreaAndTextBuffer) {
    Program p(Code{}.op("EXIT"));
    Machine& m = p.m;
    m.pc = 999;
    m.osp = 40;
    m.strPtr = 0x7123;
    m.strKey = 9;
    m.delayCounter = 5;
    m.keyRegister = 0x85;
    m.waitForKey = 1;
    m.hostKeys[0x41] = 0x80;
    m.mem[kDataArea] = 1;
    m.mem[kDataArea + kDataAreaSize - 1] = 1;
    m.mem[kTextBuffer + 10] = 'x';
    m.console.smallFont = 1;
    m.console.columns = 26;
    m.console.cursorRow = 3;
    m.files[1].inUse = true;
    m.bitReverse.fill(0);
    m.rootDir = "/root/";
    m.currentDir = "/root/sub/";
    p.host.now = 0x1234567800ull;  // low 32 bits even: bit 0 must be forced

    resetMachine(m);

    EXPECT_EQ(m.pc, 16u);
    EXPECT_EQ(m.osp, 0);
    EXPECT_EQ(m.strPtr, 0x7000);
    EXPECT_EQ(m.strKey, 0);
    EXPECT_EQ(m.delayCounter, 0u);
    EXPECT_EQ(m.keyRegister, 0);
    EXPECT_EQ(m.waitForKey, 0);
    EXPECT_EQ(m.hostKeys[0x41], 0);
    EXPECT_EQ(m.mem[kDataArea], 0);
    EXPECT_EQ(m.mem[kDataArea + kDataAreaSize - 1], 0);
    EXPECT_EQ(m.mem[kTextBuffer + 10], 0);
    EXPECT_EQ(m.console.smallFont, 0);
    EXPECT_EQ(m.console.columns, 20);
    EXPECT_EQ(m.console.rows, 5);
    EXPECT_EQ(m.console.cursorRow, 0);
    EXPECT_FALSE(m.files[1].inUse);
    EXPECT_EQ(m.bitReverse[1], 0x80);
    EXPECT_EQ(m.currentDir, "/root/");
    EXPECT_EQ(m.randomSeed, 0x34567801u);
}

TEST(Reset, KeepsFramesScreensRingAndDebuggerState) {
    Program p(Code{}.op("EXIT"));
    Machine& m = p.m;
    m.fp = 0x3000;
    m.sp = 0x3100;
    m.cond = 7;
    m.regA = 1;
    m.regB = 2;
    m.argCursor = 12;
    m.mem[kLcdScreen] = 0xAA;
    m.mem[kGraphicsBuffer] = 0xBB;
    m.mem[kStringArea] = 'S';
    m.mem[kOperandRing] = 0x44;
    m.mem[0x1000] = 0x55;
    m.mem[0x8000] = 0x66;
    m.draw.mode = 3;
    m.debug.functionDepth = 2;
    m.debug.lastStopFunction = 9;
    m.debug.stopValue = 4;

    resetMachine(m);

    EXPECT_EQ(m.fp, 0x3000);
    EXPECT_EQ(m.sp, 0x3100);
    EXPECT_EQ(m.cond, 7u);
    EXPECT_EQ(m.regA, 1u);
    EXPECT_EQ(m.regB, 2u);
    EXPECT_EQ(m.argCursor, 12);
    EXPECT_EQ(m.mem[kLcdScreen], 0xAA);
    EXPECT_EQ(m.mem[kGraphicsBuffer], 0xBB);
    EXPECT_EQ(m.mem[kStringArea], 'S');
    EXPECT_EQ(m.mem[kOperandRing], 0x44);
    EXPECT_EQ(m.mem[0x1000], 0x55);
    EXPECT_EQ(m.mem[0x8000], 0x66);
    EXPECT_EQ(m.draw.mode, 3);
    EXPECT_EQ(m.debug.functionDepth, 2u);
    EXPECT_EQ(m.debug.lastStopFunction, 9u);
    EXPECT_EQ(m.debug.stopValue, 4);
}

TEST(Reset, SeedIsOddWithoutAHost) {
    Program p(Code{}.op("EXIT"));
    p.m.host = nullptr;
    resetMachine(p.m);
    EXPECT_EQ(p.m.randomSeed & 1, 1u);
}

TEST(Reset, RestartSeesGlobalsZeroAndTheScreenAsItWas) {
    // Writes a global and a screen byte, then ends.
    Program p(Code{}
                  .op("PUSH_D")
                  .u32(0x00012000)
                  .op("PUSH_B")
                  .u8(42)
                  .op("ASSIGN")
                  .op("PUSH_D")
                  .u32(0x00010000 + kLcdScreen)
                  .op("PUSH_B")
                  .u8(0xF0)
                  .op("ASSIGN")
                  .op("EXIT"));
    p.run();
    EXPECT_EQ(p.m.mem[0x2000], 42);
    p.restart();
    EXPECT_EQ(p.m.mem[0x2000], 0);
    EXPECT_EQ(p.m.mem[kLcdScreen], 0xF0);
    EXPECT_EQ(p.m.pc, 16u);
    EXPECT_TRUE(p.m.programLoaded);
}

}  // namespace
}  // namespace corvane::test
