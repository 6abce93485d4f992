// A run saved at a frame and continued from its state ends exactly like the run that never
// stopped: the same memory, LCD, registers and files, for every demo and at several save points.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/demos/demo_run.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// Keys every demo reacts to somewhere: starting, steering, leaving pages and coming back.
const char* kKeys = "20:enter 45:right 70:down 71:space 100:x 130:enter 160:up 200:esc 230:enter";
constexpr int kLastFrame = 260;

struct Ending {
    std::string mem, lcd, regs, files;
};

// Every file below the root, with its contents, in name order.
std::string rootFiles(const fs::path& root) {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root)) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::string out;
    for (const fs::path& p : paths) {
        out += fs::relative(p, root).string() + "\n";
        if (fs::is_regular_file(p)) out += readText(p) + "\n";
    }
    return out;
}

Ending finish(DemoRun& run, const std::string& demo, std::vector<std::string> args) {
    for (const char* a : {"--keys", kKeys, "--dialog", "cancel", "--max-frames", "260", "--regs",
                          "--dump-mem", "mem.bin", "--lcd", "lcd.pbm"})
        args.push_back(a);
    const DemoOutcome o = run.run(demo, args);
    EXPECT_NE(o.status, 1) << demo << ": " << o.err;
    return {run.capture("mem.bin"), run.capture("lcd.pbm"), o.out, rootFiles(run.root())};
}

TEST(SaveStates, ContinuedRunsEndLikeTheRunThatNeverStopped) {
    static_assert(kLastFrame == 260);
    for (const char* demo : {"showcase", "console", "draw", "keys", "snake", "files", "clock"}) {
        DemoRun whole;
        const Ending expected = finish(whole, demo, {});
        ASSERT_EQ(expected.mem.size(), 65536u) << demo;
        for (int frame : {37, 151}) {
            SCOPED_TRACE(std::string(demo) + " saved at frame " + std::to_string(frame));
            DemoRun parts;
            const std::string at = std::to_string(frame);
            const DemoOutcome saved =
                parts.run(demo, {"--keys", kKeys, "--dialog", "cancel", "--max-frames", at,
                                 "--save-state", at + ":s.state"});
            ASSERT_TRUE(fs::exists(parts.folder() / "s.state")) << saved.err;
            const Ending continued = finish(parts, demo, {"--load-state", "s.state"});
            EXPECT_TRUE(continued.mem == expected.mem);
            EXPECT_TRUE(continued.lcd == expected.lcd);
            EXPECT_EQ(continued.regs, expected.regs);
            EXPECT_EQ(continued.files, expected.files);
        }
    }
}

}  // namespace
}  // namespace corvane::test
