// corvane-run --beeps: the time of each Beep of the program, in milliseconds of the machine's
// clock, as its own time calls read it at that moment.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

TEST(RunnerBeeps, TheTimesOfEveryBeepAreWritten) {
    struct Case {
        const char* name;
        const char* program;
        const char* times;
    } cases[] = {
        // Delay counts 1/256 s ticks: 256 ms are 65 ticks, 1000 ms are 256.
        {"three beeps between delays",
         "Beep\nPUSH_W 256\nDelay\nBeep\nPUSH_W 1000\nDelay\nBeep\nEXIT\n",
         "0.000000\n253.906250\n1253.906250\n"},
        // An argument pushed for Beep stays on the stack and changes nothing of the time.
        {"a beep after a delay, an argument left", "PUSH_W 1000\nDelay\nPUSH_B 7\nBeep\nEXIT\n",
         "1000.000000\n"},
        {"no beep: an empty file", "PUSH_W 10\nDelay\nEXIT\n", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const fs::path image = writeProgram(dir / "beeps.vrn", c.program);
        const fs::path times = dir / "beeps.txt";
        EXPECT_EQ(
            runProgram(builtProgram("corvane-run"), {"--beeps", times.string(), image.string()}), 0)
            << c.name;
        EXPECT_EQ(readText(times), c.times) << c.name;
    }
    // A file that cannot be written fails the run, saying so.
    const fs::path err = dir / "err.txt";
    EXPECT_EQ(runProgram(builtProgram("corvane-run"),
                         {"--beeps", (dir / "missing" / "beeps.txt").string(),
                          (dir / "beeps.vrn").string()},
                         {}, err),
              1);
    EXPECT_NE(readText(err).find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace corvane::test
