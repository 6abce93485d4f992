#pragma once
// Runs of instructions that the run loop executes as one unit once it has seen them in the
// image: one dispatch for the whole run, the registers kept in processor registers throughout.
// Each instruction of a run still executes through its own handler, so every effect (the bytes
// written to the operand ring, osp, regA, regB, cond, frames) is the one it has alone. Only
// instructions that can never stop the machine (no fault, no pause, no wait, no end) appear
// here; a run is used only when all of it lies inside the image and the budget left covers it
// whole.
//
// Most runs lie in one straight line of the image, and only their last instruction may jump.
// A run that follows control (`follows()`) goes on where the instructions inside it lead, as
// the decoder found them: past a CALL into the callee it names (its first instruction an
// ENTER), past a RET to the instruction after the run's own CALL, past a JZ or JNZ to the
// instruction after it. When the program goes elsewhere at run time (the frame held another
// return address, the branch was taken), the run ends there, after that instruction, and the
// dispatch goes on from where it went.

#include <array>
#include <cstddef>
#include <cstdint>

#include "vm/opcodes.h"

namespace corvane {

constexpr size_t kLongestFused = 23;

struct FusedRun {
    uint8_t count;
    std::array<uint8_t, kLongestFused> ops;
    // Whether its last instruction is a jump (a run that can loop on itself).
    constexpr bool endsInJump() const {
        const uint8_t last = ops[count - 1];
        return last == op::JZ || last == op::JNZ || last == op::JMP;
    }
    // Whether an instruction before its last leaves the straight line.
    constexpr bool follows() const {
        for (int i = 0; i + 1 < count; ++i) {
            const uint8_t o = ops[i];
            if (o == op::CALL || o == op::RET || o == op::JZ || o == op::JNZ) return true;
        }
        return false;
    }
    // How many of its CALLs are open (not yet returned from inside the run) before instruction
    // i: a RET at i goes back to the instruction after the last of them.
    constexpr int callsOpenBefore(int i) const {
        int open = 0;
        for (int j = 0; j < i; ++j) {
            if (ops[j] == op::CALL) ++open;
            if (ops[j] == op::RET) --open;
        }
        return open;
    }
};

// Calls a run may follow into without returning from them.
constexpr int kFollowedCalls = 2;

// Whether a run that follows control can be followed when it is decoded: a CALL inside it goes
// into a function whose first instruction is an ENTER, a RET inside it returns from a CALL of the
// run, no more than kFollowedCalls calls are open at a time, and no JMP lies inside it (its
// target is not known until the run is decoded; the runs that need one end with it).
constexpr bool followsWellFormed(const FusedRun& run) {
    for (int i = 0; i + 1 < run.count; ++i) {
        const uint8_t o = run.ops[i];
        if (o == op::JMP) return false;
        if (o == op::CALL && run.ops[i + 1] != op::ENTER) return false;
        if (o == op::RET && run.callsOpenBefore(i) == 0) return false;
        if (run.callsOpenBefore(i + 1) > kFollowedCalls) return false;
    }
    return true;
}

namespace detail {
using namespace op;

// A leaf of vrncc's switch: `cases` tests of the switch's local (loaded by `load`) against a
// constant, each a jump to its case when equal, then the jump to the default. A taken test
// leaves the run there.
constexpr FusedRun caseTests(uint8_t load, int cases) {
    FusedRun r{uint8_t(4 * cases + 1), {}};
    for (int i = 0; i < cases; ++i) {
        r.ops[size_t(4 * i)] = load;
        r.ops[size_t(4 * i + 1)] = EQI;
        r.ops[size_t(4 * i + 2)] = POP_COND;
        r.ops[size_t(4 * i + 3)] = JNZ;
    }
    r.ops[size_t(4 * cases)] = JMP;
    return r;
}
// clang-format off
constexpr FusedRun kFusedRunList[] = {
    // whole loops over tables: t[i & m] = t[i & m] + i with a long counter; vrncc's
    // a[i] = a[i] + i; sum = sum + a[i]; with an int counter
    {21, {LDL_L, PUSH_W, AND, SHLI, REFGX_L, LDL_L, PUSH_W, AND, SHLI, LDGX_L, LDL_L, ADD,
          ASSIGN, POP_COND, ADDRL, LDL_L, ADDI, ASSIGN, LTI, POP_COND, JNZ}},
    {23, {LDL_I, MULI, REFGX_I, LDL_I, MULI, LDGX_I, LDL_I, ADD, ASSIGN, POP_COND,
          ADDRL, LDL_L, LDL_I, MULI, LDGX_I, ADD, ASSIGN, POP_COND,
          PUSH_D, PREINC, LTI, POP_COND, JNZ}},
    // vrncc's pointer walks: *q++ = *p++ + k; while p != end, and sum += *q; while ++q != end
    {23, {LDL_I, PUSH_D, LDL_I, ADDI, ASSIGN, POP_COND, REFGX_I,
          LDL_I, PUSH_D, LDL_I, ADDI, ASSIGN, POP_COND, LDGX_I,
          LDL_I, ADD, ASSIGN, POP_COND, LDL_I, LDL_I, NE, POP_COND, JNZ}},
    {16, {ADDRL, LDL_L, LDL_I, LDGX_I, ADD, ASSIGN, POP_COND,
          PUSH_D, LDL_I, ADDI, ASSIGN, POP_COND, LDL_I, NEI, POP_COND, JNZ}},
    // vrncc's string walk: h = h * k + s[i]; while s[++i]
    {15, {PUSH_D, LDL_I, MULI, LDL_I, LDGX_C, ADD, ASSIGN, POP_COND,
          PUSH_D, PREINC, POP_COND, LDL_I, LDGX_C, POP_COND, JNZ}},
    // vrncc's sum += i * k; with an int counter, with and without the cut of the product
    {14, {ADDRL, LDL_L, LDL_I, MULI, SHLI, SHRI, ADD, ASSIGN, POP_COND,
          PUSH_D, PREINC, LTI, POP_COND, JNZ}},
    {12, {ADDRL, LDL_L, LDL_I, MULI, ADD, ASSIGN, POP_COND, PUSH_D, PREINC, LTI, POP_COND, JNZ}},
    // vrncc's element test: a[i] > x, and its branch
    {7, {LDL_I, MULI, LDGX_I, LDL_I, GT, POP_COND, JZ}},
    // vrncc's switch on a local: the value taken and its first compare; the cases' bodies that
    // update a long and leave by a jump to the end
    {10, {PUSH_D, LDL_I, PUSH_B, AND, ASSIGN, POP_COND, LDL_I, LTI, POP_COND, JNZ}},
    {8, {ADDRL, LDL_L, LDL_I, MULI, ADD, ASSIGN, POP_COND, JMP}},
    {7, {ADDRL, LDL_L, LDL_I, ADD, ASSIGN, POP_COND, JMP}},
    {7, {ADDRL, LDL_L, LDL_I, SUB, ASSIGN, POP_COND, JMP}},
    {7, {ADDRL, LDL_L, PUSH_B, XOR, ASSIGN, POP_COND, JMP}},
    {6, {ADDRL, LDL_L, ADDI, ASSIGN, POP_COND, JMP}},
    {6, {ADDRL, LDL_L, SUBI, ASSIGN, POP_COND, JMP}},
    {4, {ADDRL, PREINC, POP_COND, JMP}},
    // vrncc's recursive calls: the entry and the test of an int argument, the argument of the
    // next call, the returns
    {5, {ENTER, LDL_I, LTI, POP_COND, JZ}},
    {3, {LDL_I, SUBI, CALL}},
    {2, {LDL_I, RET}},
    {2, {ADD, RET}},
    // the C library's helpers: the entry and a byte stepped and tested; arguments and a call;
    // an element offset from a cut index
    {11, {ENTER, LDL_I, ADDI, REFGX_I, PREINC, POP_COND, LDL_I, ADDI, LDGX_I, POP_COND, JZ}},
    {7, {PUSH_B, PUSH_B, PUSH_B, LDG_L, ADDI, MULI, CALL}},
    {6, {SHLI, SHRI, PUSH_B, LDL_I, MULI, ADDI}},
    // a whole loop: x = x + y * k; then y stepped, tested and branched on
    {14, {ADDRL, LDL_L, LDL_L, MULI, ADD, ASSIGN, POP_COND,
          ADDRL, LDL_L, ADDI, ASSIGN, LTI, POP_COND, JNZ}},
    // counting loops: a local stepped through its typed address, then tested and branched on
    {9, {PUSH_D, LDL_L, ADDI, ASSIGN, POP_COND, LDL_L, LTI, POP_COND, JNZ}},
    {9, {PUSH_D, LDL_L, ADDI, ASSIGN, POP_COND, LDL_L, LTI, POP_COND, JZ}},
    {7, {PUSH_D, POSTINC, POP_COND, LDL_L, LTI, POP_COND, JNZ}},
    {7, {PUSH_D, POSTINC, POP_COND, LDL_I, LTI, POP_COND, JNZ}},
    {7, {PUSH_D, PREINC, POP_COND, LDL_L, LTI, POP_COND, JNZ}},
    {7, {PUSH_D, PREINC, POP_COND, LDL_I, LTI, POP_COND, JNZ}},
    {7, {PUSH_D, PREINC, POP_COND, LDG_L, LTI, POP_COND, JNZ}},
    {9, {PUSH_D, PREINC, SHLI, SHRI, POP_COND, LDL_I, LTI, POP_COND, JNZ}},
    // vrncc's counted loop: the step's own result tested, no reload of the counter
    {5, {PUSH_D, PREINC, LTI, POP_COND, JNZ}},
    {5, {PUSH_D, PREINC, LTI, POP_COND, JZ}},
    {5, {POP_COND, LDL_L, LTI, POP_COND, JNZ}},
    // steps of a local or global through its typed address, the value dropped
    {5, {PUSH_D, LDL_L, ADDI, ASSIGN, POP_COND}},
    {5, {PUSH_D, LDL_L, SUBI, ASSIGN, POP_COND}},
    {3, {PUSH_D, POSTINC, POP_COND}}, {3, {PUSH_D, PREINC, POP_COND}},
    {3, {PUSH_D, POSTDEC, POP_COND}}, {3, {PUSH_D, PREDEC, POP_COND}},
    {5, {PUSH_D, PREINC, SHLI, SHRI, POP_COND}},
    {4, {PUSH_D, PUSH_B, ASSIGN, POP_COND}}, {4, {PUSH_D, PUSH_W, ASSIGN, POP_COND}},
    // the cut of an int to 16 bits and its sign
    {2, {SHLI, SHRI}},
    // x = x + y * k; and x = x + k with the loop test on the value just stored
    {7, {ADDRL, LDL_L, LDL_L, MULI, ADD, ASSIGN, POP_COND}},
    {7, {ADDRL, LDL_L, ADDI, ASSIGN, LTI, POP_COND, JNZ}},
    {7, {ADDRL, LDL_L, ADDI, ASSIGN, LTI, POP_COND, JZ}},
    // assignments to a local whose value is dropped
    {6, {ADDRL, LDL_L, LDL_L, ADD, ASSIGN, POP_COND}},
    {6, {ADDRL, LDL_L, LDL_L, SUB, ASSIGN, POP_COND}},
    {5, {ADDRL, LDL_L, ADDI, ASSIGN, POP_COND}},
    {5, {ADDRL, LDL_L, SUBI, ASSIGN, POP_COND}},
    {4, {ADDRL, PUSH_B, ASSIGN, POP_COND}},
    {4, {ADDRL, PUSH_W, ASSIGN, POP_COND}},
    {4, {ADDRL, LDL_L, ASSIGN, POP_COND}},
    {4, {ADDRL, LDL_I, ASSIGN, POP_COND}},
    // element addresses and loads: a[(i & mask) << k], a[i << k], a[i]
    {5, {LDL_L, PUSH_W, AND, SHLI, REFGX_L}},
    {5, {LDL_L, PUSH_W, AND, SHLI, LDGX_L}},
    {3, {LDL_L, SHLI, REFGX_L}},
    {3, {LDL_L, SHLI, LDGX_L}},
    {3, {LDL_L, SHLI, REFGX_I}},
    {3, {LDL_L, SHLI, LDGX_I}},
    {2, {LDL_L, REFGX_C}},
    {2, {LDL_L, LDGX_C}},
    // a stored sum, an element update
    {4, {LDL_L, ADD, ASSIGN, POP_COND}},
    {3, {ASSIGN, POP_COND, JMP}},
    {2, {ASSIGN, POP_COND}},
    // calls: the argument, the call; a one-line function body; the caller's use of the result
    {3, {ADDRL, LDL_L, CALL}},
    {4, {ENTER, LDL_L, ADDI, RET}},
    {2, {LDL_L, CALL}},
    {2, {LDL_L, RET}},
    // tests of a local against a constant, and of two values, with their branch
    {4, {LDL_L, LTI, POP_COND, JZ}}, {4, {LDL_L, LTI, POP_COND, JNZ}},
    {4, {LDL_L, GTI, POP_COND, JZ}}, {4, {LDL_L, GTI, POP_COND, JNZ}},
    {4, {LDL_L, LEI, POP_COND, JZ}}, {4, {LDL_L, LEI, POP_COND, JNZ}},
    {4, {LDL_L, GEI, POP_COND, JZ}}, {4, {LDL_L, GEI, POP_COND, JNZ}},
    {4, {LDL_L, EQI, POP_COND, JZ}}, {4, {LDL_L, EQI, POP_COND, JNZ}},
    {4, {LDL_L, NEI, POP_COND, JZ}}, {4, {LDL_L, NEI, POP_COND, JNZ}},
    {4, {LDG_L, EQI, POP_COND, JZ}}, {4, {LDG_L, EQI, POP_COND, JNZ}},
    {3, {LTI, POP_COND, JZ}}, {3, {LTI, POP_COND, JNZ}},
    {3, {GTI, POP_COND, JZ}}, {3, {GTI, POP_COND, JNZ}},
    {3, {LEI, POP_COND, JZ}}, {3, {LEI, POP_COND, JNZ}},
    {3, {GEI, POP_COND, JZ}}, {3, {GEI, POP_COND, JNZ}},
    {3, {EQI, POP_COND, JZ}}, {3, {EQI, POP_COND, JNZ}},
    {3, {NEI, POP_COND, JZ}}, {3, {NEI, POP_COND, JNZ}},
    {3, {LT, POP_COND, JZ}}, {3, {LT, POP_COND, JNZ}},
    {3, {GT, POP_COND, JZ}}, {3, {GT, POP_COND, JNZ}},
    {3, {EQ, POP_COND, JZ}}, {3, {EQ, POP_COND, JNZ}},
    {3, {NE, POP_COND, JZ}}, {3, {NE, POP_COND, JNZ}},
    {2, {POP_COND, JZ}}, {2, {POP_COND, JNZ}},
    // operands
    {2, {LDL_L, LDL_L}}, {2, {LDL_L, ADDI}}, {2, {LDL_L, MULI}}, {2, {LDG_L, LDG_L}},
    // --- runs that follow calls and returns ---
    // x = f(x) for a one-line f(y) { return y + k; }, and the loop's jump back
    {10, {ADDRL, LDL_L, CALL, ENTER, LDL_L, ADDI, RET, ASSIGN, POP_COND, JMP}},
    // vrncc's recursive call f(n - k): the argument, the call, the callee's entry and its test
    // of n; when the test does not jump, the callee's early return of n and what the caller does
    // next with the result: its other call, or the sum and its own return
    {18, {LDL_I, SUBI, CALL, ENTER, LDL_I, LTI, POP_COND, JZ, LDL_I, RET,
          LDL_I, SUBI, CALL, ENTER, LDL_I, LTI, POP_COND, JZ}},
    {12, {LDL_I, SUBI, CALL, ENTER, LDL_I, LTI, POP_COND, JZ, LDL_I, RET, ADD, RET}},
    {8, {LDL_I, SUBI, CALL, ENTER, LDL_I, LTI, POP_COND, JZ}},
    // vrncc's switch: the equality tests at a leaf of its search, one to four of them, on an
    // int, a long (or the switch's own slot) and an unsigned char
    caseTests(LDL_I, 1), caseTests(LDL_I, 2), caseTests(LDL_I, 3), caseTests(LDL_I, 4),
    caseTests(LDL_L, 1), caseTests(LDL_L, 2), caseTests(LDL_L, 3), caseTests(LDL_L, 4),
    caseTests(LDL_C, 1), caseTests(LDL_C, 2), caseTests(LDL_C, 3), caseTests(LDL_C, 4),
};
// clang-format on
}  // namespace detail

constexpr size_t kFusedRunCount = std::size(detail::kFusedRunList);
constexpr std::array<FusedRun, kFusedRunCount> kFusedRuns = std::to_array(detail::kFusedRunList);

constexpr bool allFollowWellFormed() {
    for (const FusedRun& run : kFusedRuns) {
        if (!followsWellFormed(run)) return false;
    }
    return true;
}
static_assert(allFollowWellFormed(), "a fused run follows control where it cannot be followed");

}  // namespace corvane
