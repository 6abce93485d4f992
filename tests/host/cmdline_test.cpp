// The command line: the argument grammar of the POSIX front ends and the whole-line substring
// rules of a single-string command line.

#include <gtest/gtest.h>

#include <set>

#include "host/cmdline.h"

namespace corvane::test {
namespace {

// Files that exist for these cases, whatever the machine running the tests has.
bool fakeExists(const std::string& path) {
    static const std::set<std::string> files = {"/Shared/game.vrn", "/S5", "game.vrn", "--regs",
                                                "a b.vrn"};
    return files.count(path) != 0;
}

const std::vector<OptionDef> kOptions = {{"regs", false}, {"max-frames", true}};

struct GrammarCase {
    std::vector<std::string> args;
    int32_t stop;
    uint32_t debugger;
    const char* image;  // nullptr: none
};

TEST(Arguments, SwitchesAndImagePaths) {
    const GrammarCase cases[] = {
        {{}, -1, 0, nullptr},
        {{"/S5"}, -1, 0, "/S5"},  // names an existing file: a path, not a switch
        {{"/S12", "/W3000"}, 12, 3000, nullptr},
        {{"/S", "/Wx"}, 0, 0, nullptr},  // no digits right after the switch: 0
        {{"/S7abc"}, 7, 0, nullptr},
        {{"/S4294967295"}, -1, 0, nullptr},  // accumulated in 32 bits
        {{"/Shared/game.vrn"}, -1, 0, "/Shared/game.vrn"},
        {{"/Rgame.vrn", "/S3"}, 3, 0, "game.vrn"},
        {{"/R", "my", "game.vrn"}, -1, 0, "my game.vrn"},
        {{"/R", "x.vrn", "/S9", "--regs"}, -1, 0, "x.vrn /S9 --regs"},  // /R alone takes the rest
        {{"game.vrn"}, -1, 0, "game.vrn"},
        {{"sub/missing.vrn"}, -1, 0, "sub/missing.vrn"},  // may lie below "ROM"/"Directory"
        {{"/s5"}, -1, 0, "/s5"},                          // switches are case-sensitive
        {{"--regs"}, -1, 0, "--regs"},                    // an existing file wins over an option
    };
    for (const GrammarCase& c : cases) {
        ParseOutcome out = parseArguments(c.args, {}, fakeExists);
        std::string label;
        for (const auto& a : c.args) label += "[" + a + "]";
        ASSERT_TRUE(out.ok) << label << ": " << out.error;
        EXPECT_EQ(out.commandLine.switches.stopValue, c.stop) << label;
        EXPECT_EQ(out.commandLine.switches.debugger, c.debugger) << label;
        if (c.image) {
            ASSERT_TRUE(out.commandLine.switches.image) << label;
            EXPECT_EQ(*out.commandLine.switches.image, c.image) << label;
        } else {
            EXPECT_FALSE(out.commandLine.switches.image) << label;
        }
    }
}

TEST(Arguments, FrontEndOptionsInOrder) {
    ParseOutcome out = parseArguments(
        {"--max-frames", "10", "game.vrn", "--regs", "--max-frames=20", "--help", "--version"},
        kOptions, [](const std::string&) { return false; });
    ASSERT_TRUE(out.ok) << out.error;
    const auto& o = out.commandLine.options;
    ASSERT_EQ(o.size(), 3u);
    EXPECT_EQ(o[0], std::make_pair(std::string("max-frames"), std::string("10")));
    EXPECT_EQ(o[1], std::make_pair(std::string("regs"), std::string()));
    EXPECT_EQ(o[2], std::make_pair(std::string("max-frames"), std::string("20")));
    EXPECT_TRUE(out.commandLine.help);
    EXPECT_TRUE(out.commandLine.version);
}

TEST(Arguments, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},                 // unknown option
        {"-x"},                      // unknown short option
        {"--max-frames"},            // value missing
        {"--regs=1"},                // value where none is taken
        {"game.vrn", "other.vrn"},   // two images
        {"/Rgame.vrn", "game.vrn"},  // an image after /R<path>
        {"/R"},                      // /R with nothing to load
    };
    for (const auto& args : cases) {
        ParseOutcome out = parseArguments(args, kOptions, fakeExists);
        EXPECT_FALSE(out.ok) << args[0];
        EXPECT_FALSE(out.error.empty()) << args[0];
    }
}

struct LineCase {
    const char* line;
    int32_t stop;
    uint32_t debugger;
    const char* image;  // nullptr: none
};

TEST(CommandLineText, SubstringRules) {
    const LineCase cases[] = {
        {"corvane.exe", -1, 0, nullptr},
        {"corvane.exe /S5", 5, 0, nullptr},
        {"corvane.exe /S 5", 0, 0, nullptr},  // a blank after the switch: 0
        {"corvane.exe /Sx", 0, 0, nullptr},
        {"corvane.exe /W1234 /S-2", 0, 1234, nullptr},       // no sign
        {"corvane.exe /s5 /w3 /rgame.vrn", -1, 0, nullptr},  // case-sensitive
        {"corvane.exe /RD:\\games\\demo.vrn", -1, 0, "D:\\games\\demo.vrn"},
        {"corvane.exe /R D:\\demo.vrn", -1, 0, " D:\\demo.vrn"},  // the blank belongs to the path
        // A switch after /R is part of the path and is read as that switch as well.
        {"corvane.exe /Rgame.vrn /S7", 7, 0, "game.vrn /S7"},
        // A path that contains /S or /W is read for those switches too.
        {"corvane.exe /S1 /RC:/Saves/W/x.vrn", 1, 0, "C:/Saves/W/x.vrn"},
        {"corvane.exe /RC:/Saves/x.vrn", 0, 0, "C:/Saves/x.vrn"},
        {"corvane.exe /S5 /S6", 5, 0, nullptr},       // the first occurrence counts
        {"corvane.exe /S4294967301", 5, 0, nullptr},  // 32-bit accumulation wraps
        {"corvane.exe /R", -1, 0, ""},
    };
    for (const LineCase& c : cases) {
        Switches s = parseCommandLineText(c.line);
        EXPECT_EQ(s.stopValue, c.stop) << c.line;
        EXPECT_EQ(s.debugger, c.debugger) << c.line;
        if (c.image) {
            ASSERT_TRUE(s.image) << c.line;
            EXPECT_EQ(*s.image, c.image) << c.line;
        } else {
            EXPECT_FALSE(s.image) << c.line;
        }
    }
}

// The Windows line after the program's name, as the shell, "Open with" and players write it.
TEST(CommandLineText, WindowsForms) {
    const LineCase cases[] = {
        {"/Ra.vrn", -1, 0, "a.vrn"},
        {"/R showcase.vrn", -1, 0, "showcase.vrn"},
        {"\"/Rmy prog.vrn\"", -1, 0, "my prog.vrn"},
        {"/R\"C:\\x y\\a.vrn\"", -1, 0, "C:\\x y\\a.vrn"},
        {"/W77 /S4294967294 /RC:\\my games\\a b.vrn  ", -2, 77, "C:\\my games\\a b.vrn"},
        {"\"C:\\x y\\a.vrn\"", -1, 0, "C:\\x y\\a.vrn"},  // a bare path, as "Open with" passes it
        {"/S3 C:\\games\\a.vrn", 3, 0, "C:\\games\\a.vrn"},
        {"C:\\my games\\a.vrn", -1, 0, "C:\\my games\\a.vrn"},  // unquoted: its blank stays
        {"/S3 /W9", 3, 9, nullptr},
        {"\"\"", -1, 0, nullptr},
        {"", -1, 0, nullptr},
    };
    for (const LineCase& c : cases) {
        Switches s = parseWindowsCommandLine(c.line);
        EXPECT_EQ(s.stopValue, c.stop) << c.line;
        EXPECT_EQ(s.debugger, c.debugger) << c.line;
        if (c.image) {
            ASSERT_TRUE(s.image) << c.line;
            EXPECT_EQ(*s.image, c.image) << c.line;
        } else {
            EXPECT_FALSE(s.image) << c.line;
        }
    }
}

TEST(CommandLineText, WindowsArguments) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"a  b\tc", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"/R\"C:\\x y\\a.vrn\"", {"/RC:\\x y\\a.vrn"}},
        {"C:\\dir\\ x", {"C:\\dir\\", "x"}},  // backslashes before no quote stay
        {"\"a\\\"b\"", {"a\"b"}},             // an escaped quote
        {"\"a\\\\\" b", {"a\\", "b"}},        // 2n backslashes: n, and the quote ends
        {"\"a\"\"b\"", {"a\"b"}},             // "" inside quotes
        {"\"\" x", {"", "x"}},
    };
    for (const auto& [line, args] : cases) EXPECT_EQ(splitWindowsArguments(line), args) << line;
}

}  // namespace
}  // namespace corvane::test
