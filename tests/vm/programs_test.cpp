// Whole programs written in assembly: loops, calls with frames, recursion, arrays and pointers.

#include <gtest/gtest.h>

#include <string>

#include "support/program.h"
#include "tools/vrnasm/assembler.h"

namespace corvane::test {
namespace {

// Assembles and runs `source` to its end; the program must end by itself, without a fault.
std::unique_ptr<Program> runSource(const std::string& source, uint64_t budget = 5'000'000) {
    auto p = std::make_unique<Program>(assembleOrThrow(source), true);
    const RunResult r = p->run(budget);
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_FALSE(p->m.faulted) << p->m.faultReason;
    return p;
}

TEST(Programs, CountingLoopWithGlobals) {
    auto p = runSource(R"(
SUM = 0x2000
I   = 0x2004
L   = 0x40000
main:   PUSH_D L + I
        PUSH_B 1
        ASSIGN
        POP_COND
.loop:  PUSH_D L + SUM
        LDG_L SUM
        LDG_L I
        ADD
        ASSIGN
        POP_COND
        PUSH_D L + I
        PREINC
        LEI 100
        POP_COND
        JNZ .loop
        EXIT
)");
    EXPECT_EQ(p->m.read32(0x2000), 5050u);
    EXPECT_EQ(p->m.read32(0x2004), 101u);
}

TEST(Programs, RecursiveFactorialAndFibonacci) {
    auto p = runSource(R"(
main:   SETSP 0x3000
        PUSH_D 0x40000 + 0x2000
        PUSH_B 10
        CALL fact
        ASSIGN
        POP_COND
        PUSH_D 0x40000 + 0x2004
        PUSH_B 20
        CALL fib
        ASSIGN
        POP_COND
        EXIT

.proc fact n
        LDL_L n
        GTI 1
        POP_COND
        JZ .one
        LDL_L n
        LDL_L n
        SUBI 1
        CALL fact
        MUL
        RET
.one:   PUSH_B 1
        RET
.endproc

.proc fib n
        LDL_L n
        LTI 2
        POP_COND
        JZ .more
        LDL_L n
        RET
.more:  LDL_L n
        SUBI 1
        CALL fib
        LDL_L n
        SUBI 2
        CALL fib
        ADD
        RET
.endproc
)");
    EXPECT_EQ(p->m.read32(0x2000), 3628800u);
    EXPECT_EQ(p->m.read32(0x2004), 6765u);
    EXPECT_EQ(p->m.osp, 0) << "every result was consumed";
    EXPECT_EQ(p->m.sp, 0x3000);
}

TEST(Programs, BubbleSortOfAnIntArray) {
    auto p = runSource(R"(
ARR  = 0x2100
N    = 8
main:   INITDATA ARR
        .word 5, -3, 900, 0, 12, -32768, 7, 7
        .enddata
        SETSP 0x3000
        CALL sort
        EXIT

.proc sort
.var i
.var j
.var t
        ADDRL i
        PUSH_B 0
        ASSIGN
        POP_COND
.outer: ADDRL j
        PUSH_B 0
        ASSIGN
        POP_COND
.inner: LDL_L j                 ; if arr[j] > arr[j+1]: swap them
        SHLI 1
        LDGX_I ARR
        LDL_L j
        ADDI 1
        SHLI 1
        LDGX_I ARR
        GT
        POP_COND
        JZ .next
        ADDRL t                 ; t = arr[j]
        LDL_L j
        SHLI 1
        LDGX_I ARR
        ASSIGN
        POP_COND
        LDL_L j                 ; arr[j] = arr[j+1]
        SHLI 1
        REFGX_I ARR
        LDL_L j
        ADDI 1
        SHLI 1
        LDGX_I ARR
        ASSIGN
        POP_COND
        LDL_L j                 ; arr[j+1] = t
        ADDI 1
        SHLI 1
        REFGX_I ARR
        LDL_L t
        ASSIGN
        POP_COND
.next:  ADDRL j
        LDL_L j
        ADDI 1
        ASSIGN
        LTI N - 1
        POP_COND
        JNZ .inner
        ADDRL i
        LDL_L i
        ADDI 1
        ASSIGN
        LTI N
        POP_COND
        JNZ .outer
        RET
.endproc
)");
    const int16_t expected[] = {-32768, -3, 0, 5, 7, 7, 12, 900};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(int16_t(p->m.read16(0x2100 + 2 * k)), expected[k]) << k;
    }
}

TEST(Programs, PointerWalkOverAStringConstant) {
    // len = 0; for (p = "walk me"; *p; ++p) ++len;  with p a local char pointer.
    auto p = runSource(R"(
main:   SETSP 0x3000
        PUSH_D 0x40000 + 0x2000 ; result = length("walk me")
        PUSH_STR "walk me"
        CALL length
        ASSIGN
        EXIT

.proc length s
.var n
        ADDRL n
        PUSH_B 0
        ASSIGN
        POP_COND
.loop:  LDL_L s
        LDP_C
        POP_COND
        JZ .done
        PUSH_D 0x840000 + 0x40000 + n   ; ++n through a frame-relative typed address
        PREINC
        POP_COND
        PUSH_D 0x840000 + 0x40000 + s   ; ++s
        PREINC
        POP_COND
        JMP .loop
.done:  LDL_L n
        RET
.endproc
)");
    EXPECT_EQ(p->m.read32(0x2000), 7u);
    EXPECT_EQ(p->top(), 7u);
}

TEST(Programs, LocalArrayWithIndexedFrameAccess) {
    // Fills a local char array with 'a'.. and sums it back through LDLX_C.
    auto p = runSource(R"(
main:   SETSP 0x3000
        CALL fill
        EXIT

.proc fill
.var i
.var sum
.var buf, 10
        ADDRL i
        PUSH_B 0
        ASSIGN
        POP_COND
.put:   LDL_L i
        REFLX_C buf
        LDL_L i
        ADDI 'a'
        ASSIGN
        POP_COND
        ADDRL i
        LDL_L i
        ADDI 1
        ASSIGN
        LTI 10
        POP_COND
        JNZ .put
.sum:   PUSH_D 0x840000 + 0x40000 + i
        PREDEC
        POP_COND
        ADDRL sum
        LDL_L sum
        LDL_L i
        LDLX_C buf
        ADD
        ASSIGN
        POP_COND
        LDL_L i
        POP_COND
        JNZ .sum
        PUSH_D 0x40000 + 0x2000
        LDL_L sum
        ASSIGN
        POP_COND
        RET
.endproc
)");
    EXPECT_EQ(p->m.read32(0x2000), uint32_t(10 * 'a' + 45));
}

}  // namespace
}  // namespace corvane::test
