// The command lines vrndbg starts a simulator with on Windows, read back by the system's own
// parser: every argument must come back as it was.

#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <string>
#include <vector>

#include "tools/vrndbg/command_line_win32.h"

namespace corvane {
namespace {

std::vector<std::wstring> parse(const std::wstring& line) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> out(argv, argv + (argv ? count : 0));
    LocalFree(argv);
    return out;
}

TEST(WindowsCommandLine, ArgumentsReadBackAsTheyWere) {
    const std::vector<std::string> cases[] = {
        {"/W123", "/S4294967294", "Z:\\games\\snake.vrn"},
        {"--script", "C:\\Program Files\\x\\keys.txt"},
        {"a\"quote", "trailing\\", "with space\\", "\\\\server\\share\\", "\\\"mixed\\\\\""},
        {"", "tab\there", "中文.vrn"},
    };
    for (const auto& args : cases) {
        const std::vector<std::wstring> got =
            parse(windowsCommandLine("C:\\dir with space\\corvane-run.exe", args, false));
        ASSERT_EQ(got.size(), args.size() + 1) << args.front();
        EXPECT_EQ(got[0], L"C:\\dir with space\\corvane-run.exe");
        for (size_t i = 0; i < args.size(); ++i) EXPECT_EQ(got[i + 1], widenUtf8(args[i]));
    }
}

// corvane.exe searches its line for the switches and takes the rest after "/R" as the path:
// nothing may be added to the arguments, not even quotes around a path with blanks.
TEST(WindowsCommandLine, WholeLineArgumentsGoInAsTheyAre) {
    const std::wstring line = windowsCommandLine("C:\\my games\\corvane.exe",
                                                 {"/W42", "/S0", "/RC:\\my games\\a b.vrn"}, true);
    EXPECT_EQ(line, L"\"C:\\my games\\corvane.exe\" /W42 /S0 /RC:\\my games\\a b.vrn");
}

}  // namespace
}  // namespace corvane

#endif
