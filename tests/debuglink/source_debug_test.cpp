// The source debugger end to end: a C program compiled with vrncc -g, vrndbg scripted through a
// pipe over the real link against corvane-run.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "debuglink/peer.h"
#include "support/build_paths.h"
#include "support/temp_dir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const std::string kBin = std::string(corvane::test::binDir());
const fs::path kWalk =
    fs::path(corvane::test::sourceDir()) / "tests" / "debuglink" / "programs" / "walk.c";

// Compiles walk.c with -g inside `dir` (so the debug information names it "walk.c") and runs
// vrndbg on it with `script`; vrndbg's output without the attach line, whose process number
// differs from run to run.
std::string debugWalk(const TempDir& dir, const std::string& script, int* status) {
    fs::copy_file(kWalk, dir / "walk.c");
    const std::string cc =
        "cd " + dir.path().string() + " && " + kBin + "/vrncc -g walk.c -o walk.vrn 2>cc.txt";
    EXPECT_EQ(std::system(cc.c_str()), 0) << readFile((dir / "cc.txt").string());
    EXPECT_TRUE(fs::exists(dir / "walk.dbg"));
    const std::string out = (dir / "dbg.txt").string();
    ChildProcess dbg(kBin + "/vrndbg", {"--runner", (dir / "walk.vrn").string()}, out, true);
    dbg.writeInput(script);
    dbg.closeInput();
    *status = dbg.wait();
    std::string text = readFile(out);
    if (text.rfind("attached to process ", 0) == 0) text.erase(0, text.find('\n') + 1);
    return text;
}

struct Step {
    const char* command;
    const char* shows;  // what vrndbg prints after it (the next stop, for the moving commands)
};

// One session through every command; each row is a command and what follows it in the output.
const Step kSession[] = {
    {nullptr, "main () at walk.c:38\n38\t    Point *where = &corners[1];\n"},
    {"n", "39\t    unsigned long big = 100000UL;\n"},
    {"next", "40\t    here.x = 7;\n"},
    {"n", "41\t    here.y = square(3);\n"},
    {"s", "square (n=3) at walk.c:15\n15\t    int r = n * n;\n"},
    {"bt", "#0  square (n=3) at walk.c:15\n#1  main () at walk.c:41\n"},
    {"n", "16\t    return r;\n"},
    {"p r", "r = 9\n"},
    {"finish",
     "Run till exit from #0 square (n=3) at walk.c:16\nmain () at walk.c:42\n"
     "42\t    big = big / 3;\n"},
    {"p here", "here = {x = 7, y = 9}\n"},
    // Over a call into the runtime library, which has no line markers but keeps the function
    // markers balanced: stop value 0 must find main's identifier again.
    {"n", "43\t    values[0] = 10;\n"},
    {"p big", "big = 33333\n"},
    {"p where->y", "where->y = -5\n"},
    {"p *where", "*where = {x = 30000, y = -5}\n"},
    {"print corners[0].y", "corners[0].y = 2\n"},
    {"p corners", "corners = {{x = 1, y = 2}, {x = 30000, y = -5}}\n"},
    {"p title", "title = \"dots\"\n"},
    {"p title[1]", "title[1] = 111 'o'\n"},
    {"p none", "none = (char *) 0x0000\n"},
    {"p *none", "cannot read 0x0000: outside the data area 0x2000-0x6FFF\n"},
    {"p nosuch", "no symbol \"nosuch\" in the current context\n"},
    {"p here.z", "there is no member named z\n"},
    {"break sum_to", "Breakpoint 1 at walk.c:22\n"},
    {"break walk.c:45", "Breakpoint 2 at walk.c:45\n"},
    {"c", "Breakpoint 1, sum_to (n=3) at walk.c:22\n22\t    if (n == 0)\n"},
    {"c", "Breakpoint 1, sum_to (n=2) at walk.c:22\n22\t    if (n == 0)\n"},
    {"bt",
     "#0  sum_to (n=2) at walk.c:22\n#1  sum_to (n=3) at walk.c:24\n#2  main () at walk.c:44\n"},
    {"frame 1", "#1  sum_to (n=3) at walk.c:24\n24\t    below = sum_to(n - 1);\n"},
    {"p n", "n = 3\n"},
    {"delete 1", ""},
    {"finish",
     "Run till exit from #0 sum_to (n=2) at walk.c:22\nsum_to (n=3) at walk.c:25\n"
     "25\t    return n + below;\n"},
    {"p below", "below = 3\n"},
    {"info locals", "below = 3\n"},
    {"info args", "n = 3\n"},
    // From a line that returns, next goes on in the caller; there it meets breakpoint 2.
    {"n", "Breakpoint 2, main () at walk.c:45\n45\t    values[2] = -1;\n"},
    {"p values[1]", "values[1] = 6\n"},
    {"n", "46\t    total = values[0] + values[1];\n"},
    {"n", "47\t    total += (int)scale(where, 2);\n"},
    {"n", "48\t    return total & 0xFF;\n"},
    {"p values", "values = {10, 6, -1}\n"},
    {"p total", "total = -5520\n"},
    {"p &values[2] - &values[0]", "&values[2] - &values[0] = 2\n"},
    {"info breakpoints", "2\twalk.c:45\n"},
    {"c", "the simulator has ended\n"},
};

TEST(SourceDebugger, StepsPrintsAndWalksFramesOfACompiledProgram) {
    if (!fs::exists(kBin + "/vrndbg") || !fs::exists(kBin + "/vrncc"))
        GTEST_SKIP() << "vrndbg or vrncc is not built";
    std::string script, expected;
    for (const Step& s : kSession) {
        if (s.command) script += std::string(s.command) + "\n";
        expected += s.shows;
    }
    TempDir dir("corvane-srcdbg");
    int status = -1;
    const std::string out = debugWalk(dir, script, &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out, expected);
}

// Without the debug information next to the image, vrndbg is the line-value debugger it was.
TEST(SourceDebugger, WithoutDebugInformationStopsShowLineValues) {
    if (!fs::exists(kBin + "/vrndbg") || !fs::exists(kBin + "/vrncc"))
        GTEST_SKIP() << "vrndbg or vrncc is not built";
    TempDir dir("corvane-srcdbg");
    fs::copy_file(kWalk, dir / "walk.c");
    const std::string cc =
        "cd " + dir.path().string() + " && " + kBin + "/vrncc -g walk.c -o walk.vrn && rm walk.dbg";
    ASSERT_EQ(std::system(cc.c_str()), 0);
    const std::string out = (dir / "dbg.txt").string();
    ChildProcess dbg(kBin + "/vrndbg", {"--runner", (dir / "walk.vrn").string()}, out, true);
    dbg.writeInput("n\nbt\nc -1\n");
    dbg.closeInput();
    EXPECT_EQ(dbg.wait(), 0);
    const std::string text = readFile(out);
    // walk.c is file 1: line 38 is the line value 0x10026.
    EXPECT_NE(text.find("stop at line 65574  function "), std::string::npos) << text;
    EXPECT_NE(text.find("stop at line 65575  function "), std::string::npos) << text;
    EXPECT_NE(text.find("unknown command: bt"), std::string::npos) << text;
}

// A damaged debug-information file is reported and the session goes on without it.
TEST(SourceDebugger, ADamagedFileIsSaidAndLeftAside) {
    if (!fs::exists(kBin + "/vrndbg") || !fs::exists(kBin + "/vrncc"))
        GTEST_SKIP() << "vrndbg or vrncc is not built";
    TempDir dir("corvane-srcdbg");
    fs::copy_file(kWalk, dir / "walk.c");
    const std::string cc = "cd " + dir.path().string() + " && " + kBin +
                           "/vrncc -g walk.c -o walk.vrn && echo 'corvane-debug 99' >walk.dbg";
    ASSERT_EQ(std::system(cc.c_str()), 0);
    const std::string out = (dir / "dbg.txt").string();
    const std::string err = (dir / "err.txt").string();
    const std::string cmd = kBin + "/vrndbg --runner " + (dir / "walk.vrn").string() + " >" + out +
                            " 2>" + err + " <<'EOF'\nc -1\nEOF\n";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_NE(readFile(err).find("version 99 is not known; debugging without source"),
              std::string::npos)
        << readFile(err);
    EXPECT_NE(readFile(out).find("stop at line 65574 "), std::string::npos) << readFile(out);
}

}  // namespace
}  // namespace corvane::test
