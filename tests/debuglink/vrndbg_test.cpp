// vrndbg driven through a pipe, as a script would drive it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "debuglink/peer.h"
#include "support/build_paths.h"
#include "tools/vrndbg/memory_view.h"

namespace corvane::test {
namespace {

const std::string kVrndbg = std::string(corvane::test::binDir()) + "/vrndbg";

const char* kProgram = R"(
COUNT = 0x2000
main:   SETSP 0x3000
        FUNC 3
        INITDATA 0x2000, 0x11, 0x00, 0xFE, 0xFF
        LINE 1
        CALL inner
        LINE 2
        CALL inner
        LINE 3
        EXIT
.proc inner
        FUNC 9
        LINE 7
        PUSH_D 0x40000 + COUNT
        PREINC
        POP_COND
        LINE 8
        RET
.endproc
)";

// Runs vrndbg --runner on the program with `script` on its standard input; its output.
std::string drive(const std::string& script, int* status, std::vector<std::string> options = {}) {
    const std::string image = writeImage("vrndbg.vrn", kProgram);
    const std::string out = tempPath("vrndbg.out");
    options.insert(options.begin(), "--runner");
    options.push_back(image);
    ChildProcess dbg(kVrndbg, options, out, true);
    dbg.writeInput(script);
    dbg.closeInput();
    *status = dbg.wait();
    return readFile(out);
}

TEST(Vrndbg, ScriptThroughAPipe) {
    if (!std::filesystem::exists(kVrndbg)) GTEST_SKIP() << "vrndbg is not built";
    int status = 0;
    const std::string out = drive(
        "x 0x2000 4\n"
        "xw 0x2000 2\n"
        "xl 0x2000\n"
        "c 7\n"  // into inner: line 7 in function 9
        "n\n"    // the next line of the same function
        "x 0x2000 1\n"
        "c -1\n",  // run free to the end
        &status);
    EXPECT_EQ(status, 0) << out;
    const std::string expected =
        "stop at line 1  function 3  fp 0x0000\n"
        "0x2000: 11 00 FE FF\n"
        "0x2000: 17 -2\n"
        "0x2000: -131055 0 0 0\n"
        "0x2010: 0 0 0 0\n"
        "0x2020: 0 0 0 0\n"
        "0x2030: 0 0 0 0\n"
        "stop at line 7  function 9  fp 0x3000\n"
        "stop at line 8  function 9  fp 0x3000\n"
        "0x2000: 12\n"
        "the simulator has ended\n";
    // The first line names the simulator's process, which differs from run to run.
    ASSERT_EQ(out.rfind("attached to process ", 0), 0u) << out;
    EXPECT_EQ(out.substr(out.find('\n') + 1), expected);
}

TEST(Vrndbg, EndOfInputQuitsAndTheProgramRunsOn) {
    if (!std::filesystem::exists(kVrndbg)) GTEST_SKIP() << "vrndbg is not built";
    int status = 0;
    // Every line marker would stop; quitting at the first leaves the program running free.
    const std::string out = drive("q\n", &status, {"--stop", "-2"});
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("stop at line 1 "), std::string::npos) << out;
    EXPECT_EQ(out.find("stop at line 7"), std::string::npos) << out;
}

// A simulator that cannot load the program still attaches and says goodbye; the debugger must
// fail with the simulator's status rather than report a clean session.
TEST(Vrndbg, FailsWhenTheSimulatorCannotLoadTheProgram) {
    if (!std::filesystem::exists(kVrndbg)) GTEST_SKIP() << "vrndbg is not built";
    const std::string missing = tempPath("vrndbg-missing.vrn");
    std::filesystem::remove(missing);
    const std::string out = tempPath("vrndbg-missing.out");
    ChildProcess dbg(kVrndbg, {"--runner", missing}, out, true);
    dbg.closeInput();
    EXPECT_EQ(dbg.wait(), 1) << readFile(out);
}

// A key scripted for frame 10 reaches the getchar behind a stop however long the stop lasts:
// the runner's clock stands still while the debugger holds the program, so no frame (and no
// scripted key) passes unseen. Repeated, since a clock that ran on lost the key by a race.
TEST(Vrndbg, ScriptedKeysArriveAtTheirFrameAfterAStop) {
    if (!std::filesystem::exists(kVrndbg)) GTEST_SKIP() << "vrndbg is not built";
    const std::string image = writeImage("vrndbg-keys.vrn", R"(
main:   SETSP 0x3000
        FUNC 3
        LINE 1
        getchar
        LINE 2
        EXIT
)");
    for (int run = 0; run < 20; ++run) {
        const std::string out = tempPath("vrndbg-keys.out");
        ChildProcess dbg(kVrndbg, {"--runner", image, "--keys", "10:a"}, out, true);
        dbg.writeInput("c 2\nc -1\n");
        dbg.closeInput();
        const int status = dbg.wait();
        const std::string text = readFile(out);
        ASSERT_EQ(status, 0) << "run " << run << ":\n" << text;
        ASSERT_NE(text.find("stop at line 2 "), std::string::npos) << "run " << run << ":\n"
                                                                   << text;
    }
}

TEST(Vrndbg, MemoryViews) {
    std::vector<uint8_t> snap(20480);
    snap[0] = 0x80;
    snap[1] = 0xFF;
    snap[20479] = 0x7F;
    struct Case {
        uint32_t addr, count;
        int width;
        const char* text;
    };
    const Case cases[] = {
        {0x2000, 2, 1, "0x2000: 80 FF\n"},
        {0x2000, 1, 2, "0x2000: -128\n"},
        {0x6FFF, 1, 1, "0x6FFF: 7F\n"},
        {0x6FFE, 1, 4, "outside the data area 0x2000-0x6FFF\n"},
        {0x1FFF, 1, 1, "outside the data area 0x2000-0x6FFF\n"},
        {0x2000, 0, 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewMemory(snap, c.addr, c.count, c.width), c.text) << std::hex << c.addr;
    EXPECT_EQ(parseNumber("0x10"), 16);
    EXPECT_EQ(parseNumber("-2"), -2);
    EXPECT_FALSE(parseNumber("12z"));
    EXPECT_FALSE(parseNumber("-"));
}

}  // namespace
}  // namespace corvane::test
