// The vrnasm and vrndis commands: exit status, diagnostics on stderr, output files, and the
// round trip through files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>

#include "support/build_paths.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class Commands : public ::testing::Test {
  protected:
    fs::path path(const std::string& name) const { return dir_ / name; }

    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Runs a tool from the build's bin folder in the test folder; returns its exit status.
    int run(const std::string& tool, const std::string& args) const {
        std::string command = "cd '" + dir_.string() + "' && '" + corvane::test::binDir() + "/" +
                              tool + "' " + args + " >stdout.txt 2>stderr.txt";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    corvane::test::TempDir temp_{"corvane-tools"};
    fs::path dir_ = temp_.path();
};

TEST_F(Commands, AssembleWritesTheImageBesideTheSource) {
    write("hello.s", "main: PUSH_STR \"hi\"\n      printf\n      EXIT\n");
    ASSERT_EQ(run("vrnasm", "hello.s"), 0) << read("stderr.txt");
    std::string image = read("hello.vrn");
    ASSERT_EQ(image.size(), 16u + 6u);
    EXPECT_EQ(image.substr(0, 4), std::string("VRN\x12"));
    EXPECT_EQ(image.substr(4, 12), std::string(12, '\0'));
}

TEST_F(Commands, ErrorsGoToStderrWithPositionsAndNoImage) {
    write("bad.s", "NOP\n    PUSH_B 1000\n");
    EXPECT_EQ(run("vrnasm", "bad.s -o bad.vrn"), 1);
    EXPECT_EQ(read("stderr.txt"), "bad.s:2:12: value 1000 does not fit in a byte (-128..255)\n");
    EXPECT_FALSE(fs::exists(path("bad.vrn")));
    EXPECT_NE(run("vrnasm", "missing.s"), 0);
    EXPECT_NE(run("vrnasm", "--frobnicate bad.s"), 0);
}

TEST_F(Commands, AssemblerNamesTheFileAndTheOneReason) {
    fs::create_directories(path("folder.s"));
    write("open.s", ".proc f\n    PUSH_B 1\n    RET\n");
    const std::pair<const char*, const char*> cases[] = {
        {"nothere.s", "nothere.s: cannot open: no such file\n"},
        {"folder.s", "folder.s: cannot open: is a directory\n"},
        {"open.s", "open.s:1:1: '.proc f' has no '.endproc'\n"},  // and nothing about f.framesize
    };
    for (const auto& [file, message] : cases) {
        EXPECT_EQ(run("vrnasm", std::string(file) + " -o out.vrn"), 1) << file;
        EXPECT_EQ(read("stderr.txt"), message);
        EXPECT_FALSE(fs::exists(path("out.vrn"))) << file;
    }
}

// --help is a request, not a mistake: usage on stdout and status 0; --version names the tool.
TEST_F(Commands, EveryToolAnswersHelpAndVersion) {
    for (const char* tool :
         {"vrnasm", "vrncc", "vrndis", "vrndbg", "mkfont", "mkskin", "corvane-run"}) {
        SCOPED_TRACE(tool);
        EXPECT_EQ(run(tool, "--help"), 0);
        EXPECT_NE(read("stdout.txt").find("usage: "), std::string::npos) << read("stdout.txt");
        EXPECT_EQ(read("stderr.txt"), "");
        EXPECT_EQ(run(tool, "--version"), 0);
        EXPECT_EQ(read("stdout.txt").rfind(std::string(tool) + " ", 0), 0u) << read("stdout.txt");
    }
    // Nothing was written for either request (mkskin once took --help for its output folder).
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir_))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"stderr.txt", "stdout.txt"}));
}

TEST_F(Commands, IncludeDirectoriesAndDefines) {
    fs::create_directories(path("inc"));
    write("inc/defs.s", "VALUE = BASE + 1\n");
    write("main.s", ".include \"defs.s\"\nPUSH_B VALUE\n");
    ASSERT_EQ(run("vrnasm", "main.s -I inc -DBASE=0x10 -o out.vrn"), 0) << read("stderr.txt");
    std::string image = read("out.vrn");
    EXPECT_EQ(image.substr(16), std::string("\x01\x11", 2));
}

TEST_F(Commands, DisassembleAndAssembleAgainGiveTheSameFile) {
    write("prog.s",
          "main: SETSP 0x3000\n STRKEY 0x21\n PUSH_STR \"分数: %d\\n\"\n PUSH_B 7\n PUSH_B 2\n"
          " printf\n CALL main.sub\n EXIT\n.sub: RET\n .byte 0x99\n");
    ASSERT_EQ(run("vrnasm", "prog.s -o prog.vrn"), 0) << read("stderr.txt");
    ASSERT_EQ(run("vrndis", "prog.vrn -o listing.s"), 0) << read("stderr.txt");
    ASSERT_EQ(run("vrnasm", "listing.s -o again.vrn"), 0) << read("stderr.txt");
    EXPECT_EQ(read("again.vrn"), read("prog.vrn"));
    ASSERT_EQ(run("vrndis", "prog.vrn"), 0);
    EXPECT_EQ(read("stdout.txt"), read("listing.s"));
}

TEST_F(Commands, DisassemblerRefusesWhatIsNoImage) {
    write("text.vrn", "VRN\x13 this is not version 0x12");
    EXPECT_EQ(run("vrndis", "text.vrn"), 1);
    EXPECT_NE(read("stderr.txt").find("not a program image"), std::string::npos);
    write("short.vrn", "VRN\x12");
    EXPECT_EQ(run("vrndis", "short.vrn"), 1);
    EXPECT_EQ(run("vrndis", "absent.vrn"), 1);
}

}  // namespace
