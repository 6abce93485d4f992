// The run loop (decoded code, fused runs, registers held for a batch) against the single step,
// on thousands of random programs and on every demo: both machines get the same budgets, keys,
// delay ends and resumes, and after every return of `run` their whole state must be the same,
// the counts of executed instructions included.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/build_paths.h"
#include "support/program.h"
#include "support/random_program.h"
#include "tests/host/app_test_files.h"
#include "vm/cached_run.h"
#include "vm/fused.h"
#include "vm/in_place_loop.h"
#include "vm/opcodes.h"

namespace corvane::test {
namespace {

// What `run` does, made of single steps: the reference the run loop must match.
RunResult stepwiseRun(Machine& m, uint64_t budget) {
    RunResult r;
    for (;;) {
        if (!m.programLoaded) {
            r.stop = RunStop::Ended;
        } else if (m.paused) {
            r.stop = RunStop::Paused;
        } else if (m.delayCounter != 0) {
            r.stop = RunStop::Delay;
        } else if (m.waitForKey) {
            if ((m.keyRegister & 0x80) == 0) {
                r.stop = RunStop::WaitKey;
                return r;
            }
            step(m);  // takes the key; not an instruction
            continue;
        } else if (r.executed >= budget) {
            r.stop = RunStop::Budget;
        } else {
            // A step whose instruction is not inside the program's code (in the header, or not
            // wholly inside the image) faults without executing one.
            const bool inImage =
                m.pc >= kImageHeaderSize && m.pc < m.imageSize &&
                m.pc + 1 + uint32_t(operandBytes(opInfo(m.image[m.pc]).operands)) <= m.imageSize;
            step(m);
            if (inImage) ++r.executed;
            continue;
        }
        return r;
    }
}

// Every piece of machine state a program, the host or the debugger can observe.
::testing::AssertionResult sameState(const Machine& a, const Machine& b) {
    auto differs = [](const char* what, uint64_t x, uint64_t y) {
        return ::testing::AssertionFailure()
               << what << ": run 0x" << std::hex << x << ", steps 0x" << y;
    };
#define CORVANE_SAME(field) \
    if (a.field != b.field) return differs(#field, uint64_t(a.field), uint64_t(b.field))
    CORVANE_SAME(pc);
    CORVANE_SAME(osp);
    CORVANE_SAME(argCursor);
    CORVANE_SAME(fp);
    CORVANE_SAME(sp);
    CORVANE_SAME(regA);
    CORVANE_SAME(regB);
    CORVANE_SAME(cond);
    CORVANE_SAME(strPtr);
    CORVANE_SAME(strKey);
    CORVANE_SAME(waitForKey);
    CORVANE_SAME(keyRegister);
    CORVANE_SAME(randomSeed);
    CORVANE_SAME(delayCounter);
    CORVANE_SAME(programLoaded);
    CORVANE_SAME(paused);
    CORVANE_SAME(faulted);
    CORVANE_SAME(debug.currentFunction);
    CORVANE_SAME(debug.lastStopFunction);
    CORVANE_SAME(debug.functionDepth);
    CORVANE_SAME(console.cursorColumn);
    CORVANE_SAME(console.cursorRow);
    CORVANE_SAME(console.writeIndex);
    CORVANE_SAME(draw.target);
    CORVANE_SAME(draw.mode);
#undef CORVANE_SAME
    if (std::strcmp(a.faultReason, b.faultReason) != 0) {
        return ::testing::AssertionFailure()
               << "fault reason: run \"" << a.faultReason << "\", steps \"" << b.faultReason << '"';
    }
    if (a.debug.functionStack != b.debug.functionStack) {
        return ::testing::AssertionFailure() << "function-marker stack differs";
    }
    // Compared whole first: this runs at every stop of thousands of programs.
    if (a.mem == b.mem) return ::testing::AssertionSuccess();
    for (uint32_t i = 0; i < kVmMemorySize; ++i) {
        if (a.mem[i] != b.mem[i]) return differs("VmMemory byte at", i, i);
    }
    return ::testing::AssertionSuccess();
}

// Drives two machines on the same image through the same sequence of host actions.
struct Pair {
    Program fast;
    Program reference;
    std::mt19937 rng;
    uint64_t executed = 0;
    int stops = 0;

    Pair(const std::vector<uint8_t>& image, uint32_t seed)
        : fast(image, true), reference(image, true), rng(seed) {
        const int32_t stopValues[] = {-1, -1, -2, 0, 3, 7};
        const int32_t stopValue = stopValues[rng() % std::size(stopValues)];
        fast.m.debug.stopValue = reference.m.debug.stopValue = stopValue;
    }

    uint64_t nextBudget() {
        switch (rng() % 4) {
            case 0:
                return 1 + rng() % 3;
            case 1:
                return 1 + rng() % 20;
            case 2:
                return 1 + rng() % 500;
            default:
                return 1 + rng() % 20'000;
        }
    }

    // Runs until the program ends or `limit` instructions ran; false (with a failure recorded)
    // at the first difference.
    bool runBoth(uint64_t limit) {
        while (executed < limit) {
            const uint64_t budget = nextBudget();
            const RunResult a = fast.run(budget);
            const RunResult b = stepwiseRun(reference.m, budget);
            ++stops;
            EXPECT_EQ(a.executed, b.executed) << "at stop " << stops;
            EXPECT_EQ(int(a.stop), int(b.stop)) << "at stop " << stops;
            const auto same = sameState(fast.m, reference.m);
            EXPECT_TRUE(same) << "at stop " << stops << " after " << executed << " instructions";
            if (a.executed != b.executed || a.stop != b.stop || !same) return false;
            executed += a.executed;
            switch (a.stop) {
                case RunStop::Ended:
                    return true;
                case RunStop::Budget:
                    break;
                case RunStop::Paused:  // a debugger's resume
                    fast.m.paused = reference.m.paused = false;
                    break;
                case RunStop::Delay:  // the host counted the ticks down
                    fast.m.delayCounter = reference.m.delayCounter = 0;
                    break;
                case RunStop::WaitKey: {
                    const uint8_t key = uint8_t(0x80 | (rng() % 0x80));
                    fast.m.keyRegister = reference.m.keyRegister = key;
                    break;
                }
            }
        }
        return true;
    }
};

// The sanitizer build runs a fifth of the programs: it looks for memory faults, which the first
// thousands find as well as all of them, and the optimised builds run the whole set.
#ifdef CORVANE_SANITIZED
constexpr int kRandomPrograms = 2'000;
constexpr uint64_t kLeastExecuted = 1'000'000;
#else
constexpr int kRandomPrograms = 10'000;
constexpr uint64_t kLeastExecuted = 5'000'000;
#endif

TEST(RunDifferential, RandomProgramsMatchTheSingleStep) {
    std::mt19937 rng(20261209);
    uint64_t total = 0;
    for (int i = 0; i < kRandomPrograms; ++i) {
        const std::vector<uint8_t> image = randomProgram(rng, true);
        Pair pair(image, rng());
        ASSERT_TRUE(pair.runBoth(10'000)) << "program " << i;
        total += pair.executed;
    }
    EXPECT_GT(total, kLeastExecuted);  // the programs ran long enough to mean something
}

// Fused runs whose budget ends inside them, and a run split by a jump into its middle: the
// counts and the state at every budget stop.
TEST(RunDifferential, BudgetsEndingInsideFusedRuns) {
    Code code;
    code.op("SETSP").u16(0x3000).op("CALL").u24(code.here() + 4).op("ENTER").u16(13).u8(0);
    const uint32_t loop = code.here();
    code.op("ADDRL").u16(9).op("LDL_L").u16(9).op("LDL_L").u16(5).op("MULI").u16(3);
    code.op("ADD").op("ASSIGN").op("POP_COND");
    const uint32_t middle = code.here() + 3;  // the LDL_L of the next run
    code.op("ADDRL").u16(5).op("LDL_L").u16(5).op("ADDI").u16(1).op("ASSIGN");
    code.op("LTI").u16(40).op("POP_COND").op("JNZ").u24(loop);
    code.op("ADDRL").u16(5).op("PUSH_B").u8(0).op("ASSIGN").op("POP_COND");
    code.op("JMP").u24(middle);
    const std::vector<uint8_t> image = imageWithCode(code.bytes());
    for (uint64_t budget = 1; budget <= 15; ++budget) {
        Program fast(image, true);
        Program reference(image, true);
        for (int round = 0; round < 200; ++round) {
            const RunResult a = fast.run(budget);
            const RunResult b = stepwiseRun(reference.m, budget);
            ASSERT_EQ(a.executed, b.executed);
            ASSERT_TRUE(sameState(fast.m, reference.m))
                << "budget " << budget << " round " << round;
        }
    }
}

// A new image loaded into a machine that has run another one is decoded afresh, also when it
// has the same size.
TEST(RunDifferential, LoadingAnotherImageForgetsTheDecodedCode) {
    const std::vector<uint8_t> first =
        imageWithCode(Code().op("PUSH_B").u8(1).op("POP_COND").op("JZ").u24(16).op("EXIT").bytes());
    const std::vector<uint8_t> second =
        imageWithCode(Code().op("PUSH_B").u8(0).op("POP_COND").op("JZ").u24(16).op("EXIT").bytes());
    Program p(first, true);
    EXPECT_EQ(p.run(100).stop, RunStop::Ended);
    ASSERT_EQ(setImage(p.m, second.data(), second.size()), ImageStatus::Ok);
    p.m.programLoaded = true;
    p.m.paused = false;
    resetMachine(p.m);
    const RunResult r = p.run(100);
    EXPECT_EQ(r.stop, RunStop::Budget);  // loops for ever at 16: the second image, not the first
    EXPECT_EQ(r.executed, 100u);
}

std::vector<uint8_t> readDemo(const std::string& name) {
    std::ifstream in(std::string(corvane::test::binDir()) + "/" + name + ".vrn", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DemoDifferential : public ::testing::TestWithParam<const char*> {};

TEST_P(DemoDifferential, MatchesTheSingleStep) {
    const std::vector<uint8_t> image = readDemo(GetParam());
    ASSERT_GE(image.size(), kImageHeaderSize) << "demo image " << GetParam() << " not built";
    TempDir fastRoot;
    TempDir referenceRoot;
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        Pair pair(image, seed);
        pair.fast.m.debug.stopValue = pair.reference.m.debug.stopValue = -1;
        pair.fast.m.rootDir = pair.fast.m.currentDir = fastRoot.path().string() + "/";
        pair.reference.m.rootDir = pair.reference.m.currentDir =
            referenceRoot.path().string() + "/";
        ASSERT_TRUE(pair.runBoth(300'000)) << GetParam() << " seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(Demos, DemoDifferential,
                         ::testing::Values("showcase", "clock", "console", "draw", "files", "keys",
                                           "snake"));

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// Only the last instruction of a fused run may leave the straight line, unless the run follows
// control in a way the decoder can follow.
TEST(FusedRuns, AreWellFormed) {
    using namespace op;
    const uint8_t leaves[] = {JZ, JNZ, JMP, CALL, RET};
    for (const FusedRun& run : kFusedRuns) {
        ASSERT_GE(run.count, 2);
        ASSERT_LE(run.count, kLongestFused);
        if (run.follows()) {
            EXPECT_TRUE(followsWellFormed(run)) << opInfo(run.ops[0]).name << " run";
            continue;
        }
        for (int i = 0; i + 1 < run.count; ++i) {
            EXPECT_EQ(std::find(std::begin(leaves), std::end(leaves), run.ops[i]), std::end(leaves))
                << opInfo(run.ops[0]).name << " run jumps before its end";
        }
    }
    // What the decoder cannot follow: it would read a return address the run never stored, or
    // look for a callee's entry or a jump's target it does not know.
    const struct {
        const char* what;
        FusedRun run;
        bool ok;
    } cases[] = {
        {"a call into its callee and back", {5, {CALL, ENTER, RET, POP_COND, JZ}}, true},
        {"a return from the run's caller, last", {3, {LDL_L, ADDI, RET}}, true},
        {"a return from the run's caller, inside", {3, {LDL_L, RET, POP_COND}}, false},
        {"a call not into an ENTER", {3, {CALL, LDL_L, RET}}, false},
        {"a jump inside", {3, {JMP, LDL_L, RET}}, false},
        {"two calls open", {5, {CALL, ENTER, CALL, ENTER, LDL_L}}, true},
        {"three calls open", {7, {CALL, ENTER, CALL, ENTER, CALL, ENTER, LDL_L}}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(followsWellFormed(c.run), c.ok) << c.what;
}

// Which runs the cache of held slots can take: each slot a run pops or pushes lies inside it,
// and every instruction's reach is known. Runs of the list are checked with this when compiled.
TEST(FusedRuns, FitTheCachedSlotsExactly) {
    using namespace op;
    auto pushes = [](int n, uint8_t last) {
        FusedRun r{uint8_t(n + 1), {}};
        for (int i = 0; i < n; ++i) r.ops[i] = PUSH_B;
        r.ops[n] = last;
        return r;
    };
    auto pops = [](int n) {
        FusedRun r{uint8_t(n), {}};
        for (int i = 0; i < n; ++i) r.ops[i] = POP_COND;
        return r;
    };
    FusedRun enterThenPush = pushes(kCachedSlots - kCachedBase, ENTER);
    enterThenPush.ops[enterThenPush.count++] = PUSH_B;
    const struct {
        const char* what;
        FusedRun run;
        bool fits;
    } cases[] = {
        {"pushes up to the top slot", pushes(kCachedSlots - kCachedBase, NOP), true},
        {"one push past it", pushes(kCachedSlots - kCachedBase + 1, NOP), false},
        {"pops down to the lowest slot", pops(kCachedBase), true},
        {"one pop past it", pops(kCachedBase + 1), false},
        {"an ENTER starts the count afresh", enterThenPush, true},
        {"an instruction whose reach is not known", {2, {PUSH_B, DIVI}}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(fitsCachedSlots(c.run), c.fits) << c.what;
}

// Which runs may loop in place (their later passes unchecked against the ring): only those
// whose every pass touches the same places. Sequences that are not fused runs today are here too,
// so that a run added later cannot slip a moving place into an unchecked loop.
TEST(FusedRuns, LoopInPlaceOnlyOverFixedPlaces) {
    using namespace op;
    struct Case {
        FusedRun run;
        bool ok;
        int typedPush;
    };
    const Case cases[] = {
        {{9, {PUSH_D, LDL_L, ADDI, ASSIGN, POP_COND, LDL_L, LTI, POP_COND, JNZ}}, true, 0},
        {{7, {ADDRL, LDL_L, ADDI, ASSIGN, LTI, POP_COND, JNZ}}, true, -1},
        {{7, {LDL_L, PUSH_D, POSTINC, POP_COND, LTI, POP_COND, JNZ}}, true, 1},
        {{4, {LDL_L, LTI, POP_COND, JZ}}, true, -1},
        {{5, {PUSH_D, LDL_L, ADDI, ASSIGN, POP_COND}}, false, -1},  // no jump back
        {{5, {POP_COND, LDL_L, LTI, POP_COND, JNZ}}, false, -1},    // pops what it did not push
        {{3, {ASSIGN, POP_COND, JMP}}, false, -1},                  // the same
        {{4, {PUSH_D, PUSH_D, ASSIGN, JMP}}, false, -1},            // leaves a slot behind
        {{5, {LDL_L, PUSH_B, ASSIGN, POP_COND, JMP}}, false, -1},   // stores through a variable
        {{4, {LDL_L, POSTINC, POP_COND, JMP}}, false, -1},          // steps through a variable
        {{4, {LDL_L, LDGX_L, POP_COND, JNZ}}, false, -1},           // an indexed place
        {{5, {PUSH_D, PUSH_B, ASSIGN, POP_COND, JMP}}, true, 0},
        {{5, {PUSH_W, PUSH_B, ASSIGN, POP_COND, JMP}}, true, -1},  // only a PUSH_D is specialised
    };
    for (const Case& c : cases) {
        const InPlaceLoop loop = inPlaceLoop(c.run);
        const std::string name = opInfo(c.run.ops[0]).name + std::string("...");
        EXPECT_EQ(loop.ok, c.ok) << name << " of " << int(c.run.count);
        if (c.ok) {
            EXPECT_EQ(loop.typedPush, c.typedPush) << name << " of " << int(c.run.count);
        }
    }
}

}  // namespace
}  // namespace corvane::test
