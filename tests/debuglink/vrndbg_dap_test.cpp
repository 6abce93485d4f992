// vrndbg over the debug server end to end: a C program of two files compiled with vrncc -g,
// a script of gdb commands through a pipe, and what vrndbg prints compared line by line.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

#include "debuglink/peer.h"
#include "support/build_paths.h"
#include "support/temp_dir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const std::string kBin = std::string(corvane::test::binDir());
const fs::path kPrograms = fs::path(corvane::test::sourceDir()) / "tests" / "dap" / "programs";

// Code addresses and the heap's addresses move whenever the compiler or its runtime library
// changes: they are compared as "0x?".
std::string masked(const std::string& text) {
    return std::regex_replace(text, std::regex("0x[0-9A-F]{4,6}\\b"), "0x?");
}

bool toolsBuilt() {
    return fs::exists(kBin + "/vrndbg") && fs::exists(kBin + "/vrncc") &&
           fs::exists(kBin + "/corvane-run");
}

struct Step {
    const char* command;
    const char* shows;  // what vrndbg prints after echoing it
};

// The list program: three pushes onto a list on the heap, its sum, and an average that divides
// by zero. Each row is a command and what follows it in the output.
const Step kSession[] = {
    {"break push if value == 20", "Breakpoint 1 at list.c:9\n"},
    {"tbreak main.c:21", "Temporary breakpoint 2 at main.c:21\n"},
    {"run",
     "Breakpoint 1, push (head=0x?, value=20) at list.c:9\n"
     "9\t    struct node *n = malloc(sizeof(struct node));\n"},
    {"info breakpoints",
     "Num     Type           Disp Enb What\n"
     "1       breakpoint     keep y   in push at list.c:9\n"
     "\tstop only if value == 20\n"
     "\tbreakpoint already hit 1 time\n"
     "2       breakpoint     del  y   in main at main.c:21\n"},
    {"next", "10\t    pushes = pushes + 1;\n"},
    {"stepi -2", "Argument required (a number of steps).\n"},
    // A watch on the node malloc has just returned: stops right after a field is written.
    {"watch *n", "Watchpoint 3: *n\n"},
    {"continue",
     "Watchpoint 3: *n\nOld value = {value = 0, next = 0x?}\n"
     "New value = {value = 20, next = 0x?}\n"
     "0x? in push (head=0x?, value=20) at list.c:11\n11\t    n->value = value;\n"},
    {"x/2dh n", "0x?:\t20\t0\n"},
    {"p/x n->value", "n->value = 0x14\n"},
    {"p/c 65", "65 = 65 'A'\n"},
    {"p pushes * 2 + sizeof(struct node)", "pushes * 2 + sizeof(struct node) = 8\n"},
    {"delete 3", ""},
    {"bt", "#0  0x? in push (head=0x?, value=20) at list.c:11\n#1  main () at main.c:20\n"},
    {"up", "#1  main () at main.c:20\n20\t        head = push(head, i * 10);\n"},
    {"p i", "i = 2\n"},
    {"down", "#0  0x? in push (head=0x?, value=20) at list.c:11\n11\t    n->value = value;\n"},
    {"continue", "Temporary breakpoint 2, main () at main.c:21\n21\t    total = sum(head);\n"},
    // Back over the call of push the line made, into its last line, back to its last
    // breakpoint hit, and out to its call.
    {"reverse-next", "20\t        head = push(head, i * 10);\n"},
    {"p i", "i = 3\n"},
    {"reverse-step", "push (head=0x?, value=20) at list.c:13\n13\t    return n;\n"},
    {"reverse-continue",
     "Breakpoint 1, push (head=0x?, value=20) at list.c:9\n"
     "9\t    struct node *n = malloc(sizeof(struct node));\n"},
    {"reverse-finish",
     "Run back to call of #0 push (head=0x?, value=20) at list.c:9\n"
     "0x? in main () at main.c:20\n20\t        head = push(head, i * 10);\n"},
    {"p i", "i = 2\n"},
    {"delete", ""},
    {"continue",
     "Program stopped by a fault: DIV at 0x? divides by zero (main.c:11 in average)\n"
     "0x? in average (total=60, n=0) at main.c:11\n11\t    return total / n;\n"},
    // From the fault back to the start of its line, where n can still be mended.
    {"reverse-step", "11\t    return total / n;\n"},
    {"set var n = 2", ""},
    {"info args", "total = 60\nn = 2\n"},
    {"list 10,12", "10\t{\n11\t    return total / n;\n12\t}\n"},
    {"continue", "[program exited with code 30]\n"},
};

TEST(VrndbgOverServer, AScriptedSessionOnACompiledProgram) {
    if (!toolsBuilt()) GTEST_SKIP() << "vrndbg, vrncc or corvane-run is not built";
    TempDir dir("corvane-dapdbg");
    for (const char* f : {"main.c", "list.c", "list.h"}) fs::copy_file(kPrograms / f, dir / f);
    const std::string cc = "cd " + dir.path().string() + " && " + kBin +
                           "/vrncc -g main.c list.c -o prog.vrn 2>cc.txt";
    ASSERT_EQ(std::system(cc.c_str()), 0) << readFile((dir / "cc.txt").string());
    std::string script, expected;
    for (const Step& s : kSession) {
        script += std::string(s.command) + "\n";
        expected += "(vrndbg) " + std::string(s.command) + "\n" + s.shows;
    }
    const std::string out = (dir / "out.txt").string();
    ChildProcess dbg(kBin + "/vrndbg", {"--dap", (dir / "prog.vrn").string(), "--exit-status"}, out,
                     true);
    dbg.writeInput(script);
    dbg.closeInput();
    // The program's own exit status (--exit-status): (10 + 20 + 30) / 2.
    EXPECT_EQ(dbg.wait(), 30);
    EXPECT_EQ(masked(readFile(out)), expected);
}

// Ctrl+C while the program runs stops it where it is, and the session goes on there.
TEST(VrndbgOverServer, CtrlCPausesARunningProgram) {
    if (!toolsBuilt()) GTEST_SKIP() << "vrndbg, vrncc or corvane-run is not built";
    TempDir dir("corvane-dapdbg");
    std::ofstream(dir / "spin.c") << "long turns;\nint main(void)\n{\n    for (;;)\n"
                                     "        turns++;\n    return 0;\n}\n";
    const std::string cc =
        "cd " + dir.path().string() + " && " + kBin + "/vrncc -g spin.c -o spin.vrn 2>cc.txt";
    ASSERT_EQ(std::system(cc.c_str()), 0) << readFile((dir / "cc.txt").string());
    const std::string out = (dir / "out.txt").string();
    ChildProcess dbg(kBin + "/vrndbg", {"--dap", (dir / "spin.vrn").string()}, out, true);
    dbg.writeInput("run\np turns > 0\nkill\n");
    // Once the program runs (its "run" echoed), and a little longer.
    for (int i = 0; i < 1000 && readFile(out).find("(vrndbg) run\n") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    dbg.interrupt();
    dbg.closeInput();
    EXPECT_EQ(dbg.wait(), 0);
    const std::string text = readFile(out);
    EXPECT_NE(text.find("Program received signal SIGINT, Interrupt.\n"), std::string::npos) << text;
    EXPECT_NE(text.find("main () at spin.c:"), std::string::npos) << text;
    EXPECT_NE(text.find("(vrndbg) p turns > 0\nturns > 0 = 1\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace corvane::test
