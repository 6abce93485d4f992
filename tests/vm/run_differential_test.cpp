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
#include "tests/host/app_test_files.h"
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

// Random programs made to reach the fused runs often: stretches of the runs themselves with
// random operands, random single instructions (loads and stores over the frame and the operand
// ring, division by zero, string constants, line and function markers, getchar, Delay), and
// jumps to instruction starts or into the middle of a run or an instruction. Frames are placed
// so that loads and stores also hit the operand ring and the region past 0xFFFF.
std::vector<uint8_t> randomProgram(std::mt19937& rng) {
    static const uint8_t kExtra[] = {
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x0D, 0x0E, 0x10, 0x13, 0x16, 0x17,
        0x18, 0x19, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x25, 0x27, 0x28, 0x29,
        0x2B, 0x2C, 0x2D, 0x2E, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3C, 0x3F,
        0x41, 0x43, 0x48, 0x49, 0x4A, 0x4B, 0x52, 0x53, 0x81, 0x87, 0x8F, 0x84,
    };
    Code code;
    std::vector<uint32_t> starts;
    std::vector<uint32_t> jumps;  // code addresses of 24-bit jump operands to patch
    // Jumps that end a fused run and go back to its start: a whole loop, run over and over on
    // its one copy of the run's operands.
    std::vector<std::pair<uint32_t, uint32_t>> loops;
    const uint16_t frames[] = {0x3000, 0x7600 - 5, 0xFFF0, 0x2000};
    code.op("SETSP").u16(frames[rng() % std::size(frames)]);
    code.op("CALL").u24(code.here() + 3);  // into the ENTER just after it
    code.op("ENTER").u16(1 + rng() % 40).u8(rng() % 3);
    auto operand = [&](uint8_t op) {
        switch (opInfo(op).operands) {
            case Operands::None:
                break;
            case Operands::U8:
                code.u8(op == 0x43 ? (rng() % 4 == 0 ? rng() : 0) : rng());
                break;
            case Operands::O16:
                code.u16(rng() % 4 == 0 ? rng() : 5 + 4 * (rng() % 8));
                break;
            case Operands::A16:
                code.u16(rng() % 4 == 0 ? rng() : 0x2000 + rng() % 64);
                break;
            case Operands::S16:
                code.u16(rng() % 8 == 0 ? 0 : rng() % 64 - 16);
                break;
            case Operands::U16:
                code.u16(frames[rng() % std::size(frames)]);
                break;
            case Operands::U32: {
                // Typed addresses of every width, frame-relative and global, as PUSH_D gives
                // them to ASSIGN and the steps; tags that mean a long other than 4 (a string
                // constant's 0x10, 3), and now and then bits 24-31, which every use ignores.
                static const uint32_t kTags[] = {0,          0x00010000, 0x00020000,
                                                 0x00040000, 0x00100000, 0x00030000};
                const uint32_t tag = kTags[rng() % std::size(kTags)];
                const uint32_t ignored = rng() % 8 == 0 ? uint32_t(rng()) << 24 : 0;
                code.u32(ignored + (rng() % 2 ? 0x00800005 + tag + 4 * (rng() % 4)
                                              : 0x00002000 + tag + rng() % 64));
                break;
            }
            case Operands::C24:
            case Operands::U24:
                jumps.push_back(code.here());
                code.u24(rng() % 12);
                break;
            case Operands::String: {
                const int n = rng() % 6;
                for (int i = 0; i < n; ++i) code.u8('a' + rng() % 26);
                code.u8(0);
                break;
            }
            case Operands::Enter:
                code.u16(1 + rng() % 40).u8(rng() % 3);
                break;
            case Operands::InitData:
                code.u16(0x2000 + rng() % 64).u16(2).u8(rng()).u8(rng());
                break;
        }
    };
    const int pieces = 20 + int(rng() % 120);
    for (int p = 0; p < pieces; ++p) {
        starts.push_back(code.here());
        if (rng() % 2 == 0) {
            const FusedRun& run = kFusedRuns[rng() % kFusedRunCount];
            const uint32_t runStart = code.here();
            for (int i = 0; i < run.count; ++i) {
                if (i > 0) starts.push_back(code.here());
                code.op(run.ops[i]);
                operand(run.ops[i]);
            }
            if (run.endsInJump() && rng() % 3 == 0) loops.emplace_back(jumps.back(), runStart);
        } else {
            const uint8_t op = kExtra[rng() % std::size(kExtra)];
            code.op(op);
            operand(op);
        }
    }
    if (rng() % 2) code.op("EXIT");
    std::vector<uint8_t> image = imageWithCode(code.bytes());
    // Line and function markers keep their small values; jumps go mostly to instruction starts,
    // sometimes to any byte, sometimes past the end.
    for (uint32_t at : jumps) {
        if (image[at - 1] == 0x52 || image[at - 1] == 0x53) continue;
        uint32_t target;
        const uint32_t pick = rng() % 16;
        const auto loop =
            std::find_if(loops.begin(), loops.end(), [at](const auto& l) { return l.first == at; });
        if (loop != loops.end()) {
            target = loop->second;
        } else if (pick < 12) {
            target = starts[rng() % starts.size()];
        } else if (pick < 15) {
            target = kImageHeaderSize + rng() % (image.size() - kImageHeaderSize);
        } else {
            target = uint32_t(image.size()) + rng() % 4;
        }
        image[at] = uint8_t(target);
        image[at + 1] = uint8_t(target >> 8);
        image[at + 2] = uint8_t(target >> 16);
    }
    // Sometimes the last instruction is cut short, so that it runs past the end of the image.
    if (rng() % 8 == 0 && image.size() > kImageHeaderSize + 2) image.pop_back();
    return image;
}

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
        const std::vector<uint8_t> image = randomProgram(rng);
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

// Only the last instruction of a fused run may leave the straight line.
TEST(FusedRuns, AreWellFormed) {
    using namespace op;
    const uint8_t leaves[] = {JZ, JNZ, JMP, CALL, RET};
    for (const FusedRun& run : kFusedRuns) {
        ASSERT_GE(run.count, 2);
        ASSERT_LE(run.count, kLongestFused);
        for (int i = 0; i + 1 < run.count; ++i) {
            EXPECT_EQ(std::find(std::begin(leaves), std::end(leaves), run.ops[i]), std::end(leaves))
                << opInfo(run.ops[0]).name << " run jumps before its end";
        }
    }
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
