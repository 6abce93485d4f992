// The trap of a failed check (vrncc -fcheck) as the host reads it: only an invalid opcode 0xFE
// with a check's mark on top of the operand stack is named, and the machine is put back at the
// failing code, as many frames up as the mark says.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "host/source_map.h"
#include "shared/debuginfo/check_trap.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane::test {
namespace {

struct TrapCase {
    const char* name;
    uint8_t opcode;  // the one at 0x000200 that faulted
    uint32_t mark;   // on top of the operand stack
    bool named;
    const char* reason;  // afterwards
    uint16_t fp, sp;
    uint32_t pc;
};

TEST(CheckTrap, OnlyAMarkedTrapIsNamedAtTheFailingCode) {
    constexpr uint16_t kFrame = 0x3000, kOuter = 0x2F00, kOutermost = 0x2E00;
    const TrapCase cases[] = {
        {"in the failing function", 0xFE, checkTrapMark(Check::StackOverflow, 0), true,
         "stack overflow at 0x000200", kFrame, 0x3010, 0x200},
        {"one frame down", 0xFE, checkTrapMark(Check::NullWrite, 1), true,
         "null pointer write at 0x000120", kOuter, kFrame, 0x120},
        {"two frames down", 0xFE, checkTrapMark(Check::DoubleFree, 2), true,
         "double free at 0x000340", kOutermost, kOuter, 0x340},
        {"no mark", 0xFE, 0x12345678, false, "invalid opcode 0xFE at 0x000200", kFrame, 0x3010,
         0x201},
        {"a number no check has", 0xFE, kCheckTrapMark | 0x40, false,
         "invalid opcode 0xFE at 0x000200", kFrame, 0x3010, 0x201},
        {"another invalid opcode", 0xFD, checkTrapMark(Check::NullRead, 1), false,
         "invalid opcode 0xFD at 0x000200", kFrame, 0x3010, 0x201},
    };
    for (const TrapCase& c : cases) {
        auto machine = std::make_unique<Machine>();
        Machine& m = *machine;
        m.imageSize = 0x400;
        m.image[0x200] = c.opcode;
        // The frames: kFrame returns to 0x000124 in kOuter's, which returns to 0x000344.
        m.write16(kFrame, 0x0124);
        m.write8(kFrame + 2, 0x00);
        m.write16(kFrame + 3, kOuter);
        m.write16(kOuter, 0x0344);
        m.write8(kOuter + 2, 0x00);
        m.write16(kOuter + 3, kOutermost);
        m.fp = kFrame;
        m.sp = 0x3010;
        m.pc = 0x201;
        m.osp = 8;
        m.write32(kOperandRing + 4, c.mark);
        m.faulted = true;
        std::snprintf(m.faultReason, sizeof m.faultReason, "invalid opcode 0x%02X at 0x000200",
                      unsigned(c.opcode));
        EXPECT_EQ(explainCheckTrap(m), c.named) << c.name;
        EXPECT_STREQ(m.faultReason, c.reason) << c.name;
        EXPECT_EQ(m.fp, c.fp) << c.name;
        EXPECT_EQ(m.sp, c.sp) << c.name;
        EXPECT_EQ(m.pc, c.pc) << c.name;
    }
}

}  // namespace
}  // namespace corvane::test
