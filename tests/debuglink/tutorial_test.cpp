// The C guide's debugging tutorial, run as it is written: its program compiled with vrncc -g,
// its output checked, and its vrndbg session replayed with the same answers.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "debuglink/peer.h"
#include "support/build_paths.h"
#include "support/temp_dir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const std::string kBin = std::string(corvane::test::binDir());
const fs::path kGuide = fs::path(corvane::test::sourceDir()) / "docs" / "c.md";

std::vector<std::string> guideLines() {
    std::ifstream in(kGuide);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// The indented block that follows the line `first` (that line excluded unless `withFirst`),
// without its indentation; empty when `first` is not there.
std::vector<std::string> blockAfter(const std::vector<std::string>& lines, const std::string& first,
                                    bool withFirst) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < lines.size() && lines[i] != first) ++i;
    if (i == lines.size()) return out;
    if (!withFirst) ++i;
    for (; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (!l.empty() && l.rfind("    ", 0) != 0) break;
        if (l.rfind("    $ ", 0) == 0 && !out.empty()) break;
        out.push_back(l.empty() ? l : l.substr(4));
    }
    while (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

// Addresses depend on what the runtime library places before the program's data.
std::string withoutAddresses(const std::string& text) {
    return std::regex_replace(text, std::regex("0x[0-9A-F]{4}"), "0x____");
}

TEST(Tutorial, TheDebuggingSessionRunsAsWritten) {
    if (!fs::exists(kBin + "/vrndbg") || !fs::exists(kBin + "/vrncc"))
        GTEST_SKIP() << "vrndbg or vrncc is not built";
    const std::vector<std::string> lines = guideLines();
    const std::vector<std::string> source = blockAfter(lines, "    /* count.c */", true);
    const std::vector<std::string> printed =
        blockAfter(lines, "    $ corvane-run --stdout --exit-status count.vrn", false);
    const std::vector<std::string> session =
        blockAfter(lines, "    $ vrndbg --runner count.vrn", false);
    ASSERT_GT(source.size(), 10u);
    ASSERT_EQ(printed.size(), 1u);
    ASSERT_GT(session.size(), 5u);

    TempDir dir("corvane-tutorial");
    {
        std::ofstream c(dir / "count.c");
        for (const std::string& l : source) c << l << '\n';
    }
    const std::string cc = "cd " + dir.path().string() + " && " + kBin +
                           "/vrncc -g count.c -o count.vrn 2>cc.txt && " + kBin +
                           "/corvane-run --stdout count.vrn >run.txt";
    ASSERT_EQ(std::system(cc.c_str()), 0) << readFile((dir / "cc.txt").string());
    EXPECT_EQ(readFile((dir / "run.txt").string()), printed[0] + "\n");

    // "(vrndbg) " lines are what the user types; the others are what vrndbg answers.
    std::string script, expected;
    for (const std::string& l : session) {
        if (l.rfind("(vrndbg) ", 0) == 0)
            script += l.substr(9) + "\n";
        else if (l.rfind("attached to process ", 0) != 0)
            expected += l + "\n";
    }
    const std::string out = (dir / "dbg.txt").string();
    ChildProcess dbg(kBin + "/vrndbg", {"--runner", (dir / "count.vrn").string()}, out, true);
    dbg.writeInput(script);
    dbg.closeInput();
    EXPECT_EQ(dbg.wait(), 0);
    std::string got = readFile(out);
    if (got.rfind("attached to process ", 0) == 0) got.erase(0, got.find('\n') + 1);
    EXPECT_EQ(withoutAddresses(got), withoutAddresses(expected));
}

}  // namespace
}  // namespace corvane::test
