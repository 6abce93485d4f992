// corvane-run end to end: exit statuses, scripted keys and commands, captures, the memory dump,
// registers, the trace, virtual time and dates.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/menu.h"
#include "support/build_paths.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

struct Runner : ::testing::Test {
    TempDir dir;
    fs::path fonts = dir / "fonts.dat";

    Runner() {
        fs::create_directories(dir / "root");
        writeText(fonts, "");  // a short font file is no error: blank glyphs
    }

    // Runs corvane-run with the test's fonts and root, from the test's folder.
    Outcome run(const std::vector<std::string>& args, bool defaults = true) {
        std::string cmd = "cd " + quoted(dir.path().string()) + " && env -u CORVANE_HOME " +
                          quoted(std::string(corvane::test::binDir()) + "/corvane-run");
        if (defaults) cmd += " --fonts " + quoted(fonts.string()) + " --root root";
        for (const std::string& a : args) cmd += " " + quoted(a);
        cmd += " >" + quoted((dir / "stdout").string()) + " 2>" + quoted((dir / "stderr").string());
        Outcome o;
        int raw = std::system(cmd.c_str());
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        o.out = readText(dir / "stdout");
        o.err = readText(dir / "stderr");
        return o;
    }

    std::string program(const std::string& name, std::string_view source) {
        writeProgram(dir / name, source);
        return name;
    }

    std::vector<uint8_t> dump(const std::string& name = "mem.bin") {
        std::string text = readText(dir / name);
        return std::vector<uint8_t>(text.begin(), text.end());
    }
};

TEST_F(Runner, ExitStatuses) {
    writeBytes(dir / "fault.vrn", {'V', 'R', 'N', 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF});
    writeBytes(dir / "bad.vrn", {'V', 'R', 'N', 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40});
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* err;  // expected on stderr, or ""
    };
    const Case cases[] = {
        {{program("ends.vrn", "PUSH_B 1\nEXIT\n")}, 0, ""},
        {{program("exitcall.vrn", "PUSH_B 1\nexit\n")}, 0, ""},
        {{"fault.vrn"}, 3, "0xFF"},
        {{program("waits.vrn", "getchar\nEXIT\n")}, 2, ""},
        {{program("spin.vrn", "top: JMP top\n"), "--max-instructions", "5000"}, 2, ""},
        {{"spin.vrn", "--max-frames", "3"}, 2, ""},
        {{"spin.vrn", "--command", "5:40001"}, 0, ""},
        {{}, 2, ""},  // no program at all
        {{"bad.vrn"}, 1, "不是有效的Quillbox文件!"},
        {{"missing.vrn"}, 1, "无法打开Quillbox文件!"},
        // The host's texts in the language asked for; the runner's own stay English.
        {{"bad.vrn", "--lang", "en"}, 1, "Not a valid Quillbox file!"},
        {{"missing.vrn", "--lang", "en"}, 1, "Cannot open the Quillbox file!"},
        {{"ends.vrn", "--lang", "fr"}, 1, "--lang is one of zh, en: fr"},
        {{"ends.vrn", "--keys", "1:nokey"}, 1, "unknown key"},
        {{"ends.vrn", "--lcd", "x.gif"}, 1, "--lcd"},
        {{"ends.vrn", "--max-frames", "ten"}, 1, "--max-frames"},
        {{"ends.vrn", "--date", "2004-13-01T00:00:00"}, 1, "--date"},
        {{"ends.vrn", "--frobnicate"}, 1, "unknown option"},
        // Each failure says what stopped the run, naming the file where there is one.
        {{"root"}, 1, "root: is a directory, not a program image"},
        {{"missing.vrn"}, 1, "missing.vrn: no such file"},
        {{"bad.vrn"}, 1, "bad.vrn: not a program image"},
        {{"spin.vrn", "--max-instructions", "5000"}, 2, "instruction limit (--max-instructions"},
        {{"spin.vrn", "--max-frames", "3"}, 2, "frame limit (--max-frames 3)"},
        {{"waits.vrn"}, 2, "waits for a key and no scripted input is left"},
        {{"fault.vrn"}, 3, "invalid opcode 0xFF at 0x000010"},
        {{"ends.vrn", "--lcd", "no-such-dir/x.png"}, 1, "cannot write no-such-dir/x.png"},
        {{"ends.vrn", "--lcd", "5:no-such-dir/x.pbm", "--max-frames", "9"}, 1, "cannot write"},
        {{"ends.vrn", "--dump-mem", "no-such-dir/mem.bin"}, 1, "cannot write"},
    };
    for (const Case& c : cases) {
        Outcome o = run(c.args);
        std::string label = c.args.empty() ? "(none)" : c.args[0];
        if (c.args.size() > 1) label += " " + c.args[1];
        EXPECT_EQ(o.status, c.status) << label << "\n" << o.err;
        EXPECT_NE(o.err.find(c.err), std::string::npos) << label << "\n" << o.err;
    }
}

TEST_F(Runner, WithoutArgumentsPrintsItsUsageAndFails) {
    Outcome o = run({}, false);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("usage: corvane-run", 0), 0u) << o.err;
    EXPECT_EQ(o.out, "");
}

TEST_F(Runner, KeysReachAWaitingProgramAndMemoryIsDumped) {
    // Two getchar results stay on the operand stack (at 0x7600 and 0x7604).
    program("two.vrn", "getchar\ngetchar\nEXIT\n");
    Outcome o = run({"two.vrn", "--keys", "3:a 8:2", "--dump-mem", "mem.bin"});
    EXPECT_EQ(o.status, 0) << o.err;
    std::vector<uint8_t> mem = dump();
    ASSERT_EQ(mem.size(), 65536u);
    EXPECT_EQ(mem[0x7600], 'a');
    EXPECT_EQ(mem[0x7604], 'n');  // the PC's 2 is the handheld's "n"
}

TEST_F(Runner, KeyPressedWhileAnotherIsPendingIsLost) {
    program("one.vrn", "PUSH_W 200\nDelay\ngetchar\ngetchar\nEXIT\n");
    // Both keys arrive during the Delay: the second finds the first still pending and is lost.
    Outcome o = run({"one.vrn", "--keys", "2:a 5:b", "--dump-mem", "mem.bin"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(dump()[0x7600], 'a');
}

TEST_F(Runner, MemoryIsDumpedWhateverTheStatus) {
    program("spin.vrn", "INITDATA 0x2000\n.byte 0x5A\n.enddata\ntop: JMP top\n");
    Outcome o = run({"spin.vrn", "--max-instructions", "100", "--dump-mem", "mem.bin"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(dump()[0x2000], 0x5A);
}

TEST_F(Runner, CapturesTheLcdAtAFrameAndAtTheEnd) {
    // The first LCD byte is set before frame 1; the second only after frame 10 (a Delay).
    program("draw.vrn",
            "INITDATA 0x18C0\n.byte 0x80\n.enddata\n"
            "PUSH_W 200\nDelay\n"
            "INITDATA 0x18C1\n.byte 0x01\n.enddata\n"
            "EXIT\n");
    Outcome o = run({"draw.vrn", "--lcd", "5:early.pbm", "--lcd", "late.pbm", "--lcd", "late.png",
                     "--window", "3:window.png"});
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string header = "P4\n160 80\n";
    std::string early = readText(dir / "early.pbm");
    std::string late = readText(dir / "late.pbm");
    ASSERT_EQ(early.size(), header.size() + 1600);
    ASSERT_EQ(late.size(), header.size() + 1600);
    EXPECT_EQ(early.substr(0, header.size()), header);
    EXPECT_EQ(uint8_t(early[header.size()]), 0x80);
    EXPECT_EQ(uint8_t(early[header.size() + 1]), 0x00);
    EXPECT_EQ(uint8_t(late[header.size() + 1]), 0x01);
    // PNG files, the window at its full size (width and height in the IHDR chunk).
    std::string png = readText(dir / "window.png");
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ((uint8_t(png[18]) << 8) | uint8_t(png[19]), 435);
    EXPECT_EQ((uint8_t(png[22]) << 8) | uint8_t(png[23]), 585);
    EXPECT_EQ(readText(dir / "late.png").substr(1, 3), "PNG");
}

TEST_F(Runner, DelayFollowsVirtualTime) {
    // Delay 1000 ms is 256 ticks of 1/256 s: the program ends at about frame 60.
    program("sleep.vrn", "PUSH_W 1000\nDelay\nEXIT\n");
    EXPECT_EQ(run({"sleep.vrn", "--max-frames", "55"}).status, 2);
    EXPECT_EQ(run({"sleep.vrn", "--max-frames", "65"}).status, 0);
    // Virtual time does not depend on the instruction rate: the same at a slow rate.
    EXPECT_EQ(run({"sleep.vrn", "--max-frames", "65", "--ips", "1000"}).status, 0);
}

TEST_F(Runner, RealtimeDelayTakesRealTime) {
    program("nap.vrn", "PUSH_W 200\nDelay\nEXIT\n");
    auto start = std::chrono::steady_clock::now();
    Outcome o = run({"nap.vrn", "--realtime"});
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_GE(elapsed, std::chrono::milliseconds(180));
}

TEST_F(Runner, DateStartsWhereToldAndMovesWithTheClock) {
    // GetTime into 0x2000, one second of Delay, GetTime into 0x2010; SetTime from 0x2020, then
    // GetTime into 0x2030.
    program("time.vrn",
            "PUSH_W 0x2000\nGetTime\n"
            "PUSH_W 1000\nDelay\n"
            "PUSH_W 0x2010\nGetTime\n"
            "INITDATA 0x2020\n.word 1999\n.byte 12, 31, 23, 59, 58, 0\n.enddata\n"
            "PUSH_W 0x2020\nSetTime\n"
            "PUSH_W 0x2030\nGetTime\n"
            "EXIT\n");
    ASSERT_EQ(run({"time.vrn", "--dump-mem", "mem.bin"}).status, 0);
    std::vector<uint8_t> mem = dump();
    // 2004-01-01 00:00:00, a Thursday (4).
    EXPECT_EQ(std::vector<uint8_t>(mem.begin() + 0x2000, mem.begin() + 0x2008),
              (std::vector<uint8_t>{0xD4, 0x07, 1, 1, 0, 0, 0, 4}));
    EXPECT_EQ(mem[0x2010 + 6], 1);  // one second later
    // SetTime moved only the virtual date: 1999-12-31 23:59:58, a Friday.
    EXPECT_EQ(std::vector<uint8_t>(mem.begin() + 0x2030, mem.begin() + 0x2038),
              (std::vector<uint8_t>{0xCF, 0x07, 12, 31, 23, 59, 58, 5}));

    ASSERT_EQ(run({"time.vrn", "--date", "2024-02-29T13:45:30", "--dump-mem", "mem.bin"}).status,
              0);
    mem = dump();
    EXPECT_EQ(std::vector<uint8_t>(mem.begin() + 0x2000, mem.begin() + 0x2008),
              (std::vector<uint8_t>{0xE8, 0x07, 2, 29, 13, 45, 30, 4}));
}

TEST_F(Runner, RegistersAndTrace) {
    program("add.vrn", "PUSH_B 5\nPUSH_B 7\nADD\nEXIT\n");
    Outcome o = run({"add.vrn", "--regs"});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("pc=0x000016"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("osp=0x04"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("regA=0x0000000C"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("regB=0x00000007"), std::string::npos) << o.out;
    for (const char* name : {"fp=", "sp=", "cond="}) EXPECT_NE(o.out.find(name), std::string::npos);

    o = run({"add.vrn", "--trace"});
    EXPECT_EQ(o.out,
              "000010  PUSH_B 5  osp=00\n"
              "000012  PUSH_B 7  osp=04\n"
              "000014  ADD  osp=08\n"
              "000015  EXIT  osp=04\n");
}

TEST_F(Runner, ResetWithF8RestartsTheLastImage) {
    program("ends.vrn", "PUSH_B 1\nEXIT\n");
    Outcome o = run({"ends.vrn", "--keys", "5:f8", "--trace"});
    EXPECT_EQ(o.status, 0);
    // The program ran twice: once at the start, once after F8.
    size_t exits = 0;
    for (size_t at = o.out.find("EXIT"); at != std::string::npos; at = o.out.find("EXIT", at + 1))
        ++exits;
    EXPECT_EQ(exits, 2u);
}

TEST_F(Runner, OpenCommandTakesTheDialogAnswers) {
    program("ends.vrn", "PUSH_B 1\nEXIT\n");
    writeText(dir / "text.vrn", "not a program");
    // Cancelled, then refused (the message goes to stderr), then opened.
    Outcome o = run({"--command", "2:40002", "--command", "4:40002", "--command", "6:40002",
                     "--dialog", "cancel", "--dialog", (dir / "text.vrn").string(), "--dialog",
                     (dir / "ends.vrn").string()});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("不是有效的VRN文件!"), std::string::npos) << o.err;

    // No answer left: the dialog is cancelled and nothing runs.
    EXPECT_EQ(run({"--command", "2:40002"}).status, 2);
}

TEST_F(Runner, MenuItemsChosenWithTheMouse) {
    program("waits.vrn", "getchar\nEXIT\n");
    // Where the menu opened at (100, 300) shows its items, the program just opened among the
    // recent files.
    Menu menu;
    menu.setText(kCmdRecent1, "1 waits.vrn");
    menu.open(100, 300);
    auto centre = [&](int index) {
        KeyRect r = menu.itemRect(0, index);
        return std::to_string(r.left + r.width / 2) + "," + std::to_string(r.top + r.height / 2);
    };
    // "退出" (Exit), the last item: the waiting program is closed and the run ends with 0.
    Outcome o = run({"waits.vrn", "--rclick", "2:100,300", "--click", "4:" + centre(14)});
    EXPECT_EQ(o.status, 0) << o.err;
    // "关闭Quillbox" (Close): the program is closed, nothing more can happen.
    o = run({"waits.vrn", "--rclick", "2:100,300", "--click", "4:" + centre(1), "--trace"});
    EXPECT_EQ(o.status, 2) << o.err;
    // A click outside the open menu only closes it; the program goes on waiting.
    o = run({"waits.vrn", "--rclick", "2:100,300", "--click", "4:5,5", "--keys", "8:x"});
    EXPECT_EQ(o.status, 0) << o.err;
}

TEST_F(Runner, FilesOfProgramsLandInTheRoot) {
    program("write.vrn", "PUSH_STR \"out.txt\"\nPUSH_STR \"w\"\nfopen\nEXIT\n");
    Outcome o = run({"write.vrn"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fs::exists(dir / "root" / "out.txt"));
    EXPECT_FALSE(fs::exists(dir / "root" / "vorn.ini"));  // the runner never writes it
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
}

TEST_F(Runner, HelpAndVersion) {
    Outcome o = run({"--help"}, false);
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("--max-instructions"), std::string::npos);
    o = run({"--version"}, false);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out.rfind("corvane-run ", 0), 0u) << o.out;
}

}  // namespace
}  // namespace corvane::test
