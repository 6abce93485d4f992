// Thousands of random and mutated images, each run with an instruction limit. Whatever the bytes
// say, the machine must stay inside its memory, its image buffer and its tables (the sanitizer
// build checks that), every run must end, and the machine's invariants must hold afterwards.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/program.h"
#include "support/temp_dir.h"
#include "vm/opcodes.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kBudget = 10'000;

std::vector<uint8_t> validOpcodes() {
    std::vector<uint8_t> ops;
    for (int op = 0; op < 256; ++op) {
        if (opInfo(uint8_t(op)).name != nullptr) ops.push_back(uint8_t(op));
    }
    return ops;
}

// A random but well-formed instruction stream: valid opcodes with operands of the right size,
// jump targets mostly at instruction starts, sometimes anywhere. The end of the program is rare,
// so that most images run long.
std::vector<uint8_t> structuredImage(std::mt19937& rng) {
    static const std::vector<uint8_t> ops = validOpcodes();
    std::uniform_int_distribution<int> count(1, 300);
    std::uniform_int_distribution<int> byte(0, 255);
    Code code;
    std::vector<uint32_t> starts;
    std::vector<uint32_t> jumpOperands;
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
        uint8_t op = ops[rng() % ops.size()];
        if ((op == 0x40 || op == 0x8D) && rng() % 16 != 0) op = 0x00;
        starts.push_back(code.here());
        code.op(op);
        switch (opInfo(op).operands) {
            case Operands::None:
                break;
            case Operands::U8:
                code.u8(byte(rng));
                break;
            case Operands::S16:
            case Operands::A16:
            case Operands::O16:
            case Operands::U16:
                code.u16(rng());
                break;
            case Operands::U32:
                code.u32(rng());
                break;
            case Operands::C24:
                jumpOperands.push_back(code.here());
                code.u24(rng());
                break;
            case Operands::U24:
                code.u24(rng() % 4 == 0 ? 0 : rng());
                break;
            case Operands::Enter:
                code.u16(rng() % 64).u8(rng() % 8);
                break;
            case Operands::String:
                for (int k = int(rng() % 12); k > 0; --k) code.u8(1 + rng() % 255);
                code.u8(0);
                break;
            case Operands::InitData: {
                const uint32_t len = rng() % 16;
                code.u16(rng()).u16(len);
                for (uint32_t k = 0; k < len; ++k) code.u8(byte(rng));
                break;
            }
        }
    }
    code.op("JMP").u24(16);  // round again rather than run off the end
    for (uint32_t at : jumpOperands) {
        if (rng() % 8 != 0) code.patch24(at, starts[rng() % starts.size()]);
    }
    return imageWithCode(code.bytes());
}

std::vector<uint8_t> randomBytes(std::mt19937& rng) {
    std::vector<uint8_t> code(rng() % 512);
    for (auto& b : code) b = uint8_t(rng());
    return imageWithCode(code);
}

void mutate(std::vector<uint8_t>& image, std::mt19937& rng) {
    const int flips = 1 + int(rng() % 8);
    for (int i = 0; i < flips && image.size() > 16; ++i) {
        image[16 + rng() % (image.size() - 16)] = uint8_t(rng());
    }
    if (rng() % 4 == 0) image.resize(16 + rng() % (image.size() - 15));  // truncate
}

class Robustness : public ::testing::Test {
  protected:
    TempDir temp{"corvane-robustness"};
    fs::path root = temp.path();

    // Runs an image to its end or to the instruction limit, feeding keys and finishing delays
    // so that blocked programs keep going.
    uint64_t totalExecuted = 0;
    int reachedLimit = 0;

    void exercise(const std::vector<uint8_t>& image, uint32_t seed) {
        Program p(image, false);
        Machine& m = p.m;
        m.rootDir = root.string() + "/";
        m.programLoaded = true;
        m.paused = false;
        m.debug.stopValue = int32_t(seed % 3 == 0 ? -2 : -1);
        resetMachine(m);
        uint64_t executed = 0;
        for (int round = 0; round < 64 && executed < kBudget; ++round) {
            const RunResult r = run(m, kBudget - executed);
            executed += r.executed;
            ASSERT_LE(executed, kBudget);
            ASSERT_EQ(m.osp % 4, 0);
            if (r.stop == RunStop::Ended) break;
            if (r.stop == RunStop::Paused) m.paused = false;
            if (r.stop == RunStop::Delay) m.delayCounter = 0;
            if (r.stop == RunStop::WaitKey) m.keyRegister = uint8_t(0x80 | (seed + round));
        }
        totalExecuted += executed;
        if (executed == kBudget) ++reachedLimit;
        if (m.faulted) {
            ASSERT_FALSE(m.programLoaded);
            ASSERT_NE(m.faultReason[0], '\0');
        }
        endProgram(m);
        for (const FileSlot& s : m.files) ASSERT_EQ(s.stream, nullptr);
    }
};

// The sanitizer build runs half the images (it looks for memory faults, which the first images
// find as well as all of them); the optimised builds run them all.
#ifdef CORVANE_SANITIZED
constexpr uint32_t kRobustnessImages = 1000;
#else
constexpr uint32_t kRobustnessImages = 2000;
#endif

TEST_F(Robustness, RandomAndMutatedImagesNeverEscapeTheMachine) {
    std::mt19937 rng(20240611);
    for (uint32_t i = 0; i < kRobustnessImages; ++i) {
        std::vector<uint8_t> image;
        switch (i % 3) {
            case 0:
                image = structuredImage(rng);
                break;
            case 1:
                image = randomBytes(rng);
                break;
            default:
                image = structuredImage(rng);
                mutate(image, rng);
                break;
        }
        SCOPED_TRACE("image " + std::to_string(i));
        exercise(image, i);
        if (HasFatalFailure()) return;
    }
    // The images must really run, not stop at their first bytes.
    EXPECT_GT(totalExecuted, kRobustnessImages * 1'000u);
    EXPECT_GT(reachedLimit, int(kRobustnessImages * 3 / 40));
    std::printf("robustness: %llu instructions, %d images ran to the limit\n",
                static_cast<unsigned long long>(totalExecuted), reachedLimit);
}

// Step by step, the same images behave as the batch run does.
TEST_F(Robustness, StepAndRunAgree) {
    std::mt19937 rng(77);
    for (int i = 0; i < 200; ++i) {
        const std::vector<uint8_t> image = structuredImage(rng);
        Program a(image, true);
        Program b(image, true);
        a.m.rootDir = b.m.rootDir = root.string() + "/";
        resetMachine(a.m);
        resetMachine(b.m);
        a.host.now = b.host.now;
        a.m.randomSeed = b.m.randomSeed = 12345;
        for (int n = 0;
             n < 2000 && a.m.programLoaded && !a.m.waitForKey && !a.m.delayCounter && !a.m.paused;
             ++n) {
            step(a.m);
            // The batch run hands a pending key to a waiting getchar without a step of its own.
            if (a.m.waitForKey && (a.m.keyRegister & 0x80)) step(a.m);
            run(b.m, 1);
        }
        ASSERT_EQ(a.m.pc, b.m.pc) << i;
        ASSERT_EQ(a.m.osp, b.m.osp) << i;
        ASSERT_EQ(a.m.mem, b.m.mem) << i;
        endProgram(a.m);
        endProgram(b.m);
    }
}

}  // namespace
}  // namespace corvane::test
