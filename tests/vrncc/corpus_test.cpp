// The corpus: C programs compiled by vrncc and run by corvane-run, compared with the output and
// exit status they must give.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/app_test_files.h"
#include "support/build_paths.h"
#include "support/process.h"
#include "tools/vrncc/compiler.h"
#include "vrncc/expected_output.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kPrograms = fs::path(corvane::test::sourceDir()) / "tests" / "vrncc" / "programs";

struct RunOutcome {
    int status = -1;
    std::string out;
};

RunOutcome runImage(const fs::path& image, const TempDir& dir) {
    const fs::path outFile = dir / "stdout.txt";
    RunOutcome r;
    r.status =
        runProgram(builtProgram("corvane-run"),
                   {"--stdout", "--exit-status", "--root", dir.path().string(), image.string()},
                   outFile, dir / "stderr.txt");
    r.out = writtenText(readText(outFile));
    return r;
}

std::vector<std::string> corpus() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kPrograms))
        if (e.path().extension() == ".c") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The options a program is compiled with: the defaults, or with NAME.flags saying "-w" the
// warnings off, for a random program kept as a regression test, whose conversions of constants
// (an int16_t set from 0xABCDL) are meant and draw warnings.
CcOptions optionsFor(const std::string& name) {
    CcOptions options;
    const fs::path flags = kPrograms / (name + ".flags");
    if (!fs::exists(flags)) return options;
    std::istringstream words(readText(flags));
    for (std::string word; words >> word;) {
        if (word == "-w")
            options.noWarnings = true;
        else
            ADD_FAILURE() << flags << ": a flag the corpus does not take: " << word;
    }
    return options;
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, PrintsAndEndsAsExpected) {
    const std::string name = GetParam();
    TempDir dir;
    CcResult r = compileC({(kPrograms / (name + ".c")).string()}, optionsFor(name));
    ASSERT_TRUE(r.ok()) << r.diagnostics;
    EXPECT_EQ(r.diagnostics, "");  // the warnings on by default stay quiet on correct programs
    const fs::path image = dir / (name + ".vrn");
    writeBytes(image, r.image);
    RunOutcome run = runImage(image, dir);
    int expectedStatus = 0;
    if (fs::exists(kPrograms / (name + ".status")))
        expectedStatus = std::stoi(readText(kPrograms / (name + ".status")));
    EXPECT_EQ(run.out, expectedOutput(kPrograms, name));
    EXPECT_EQ(run.status, expectedStatus) << readText(dir / "stderr.txt");
}

// The checked mode changes nothing a correct program prints or returns.
TEST_P(Corpus, UnchangedWhenChecked) {
    const std::string name = GetParam();
    TempDir dir;
    CcOptions checked = optionsFor(name);
    checked.check = true;
    CcResult r = compileC({(kPrograms / (name + ".c")).string()}, checked);
    ASSERT_TRUE(r.ok()) << r.diagnostics;
    const fs::path image = dir / (name + ".vrn");
    writeBytes(image, r.image);
    RunOutcome run = runImage(image, dir);
    int expectedStatus = 0;
    if (fs::exists(kPrograms / (name + ".status")))
        expectedStatus = std::stoi(readText(kPrograms / (name + ".status")));
    EXPECT_EQ(run.out, expectedOutput(kPrograms, name));
    EXPECT_EQ(run.status, expectedStatus) << readText(dir / "stderr.txt");
}

INSTANTIATE_TEST_SUITE_P(Programs, Corpus, ::testing::ValuesIn(corpus()),
                         [](const auto& info) { return info.param; });

// The command line: an image written where -o says (the debug information beside it, also in
// a folder with a dot in its name), and diagnostics with a failing status.
TEST(VrnccCommand, WritesTheImageOrFailsWithDiagnostics) {
    TempDir dir;
    writeText(dir / "ok.c", "int main(void) { return 3; }\n");
    writeText(dir / "bad.c", "int main(void) { return x; }\n");
    fs::create_directory(dir / "out.d");
    const fs::path cc = builtProgram("vrncc");
    const fs::path err = dir / "err.txt";
    EXPECT_EQ(runProgram(cc, {(dir / "ok.c").string(), "-o", (dir / "ok.vrn").string()}, {}, err),
              0)
        << readText(err);
    EXPECT_EQ(runImage(dir / "ok.vrn", dir).status, 3);
    const fs::path debugImage = dir / "out.d" / "ok";
    EXPECT_EQ(runProgram(cc, {"-g", (dir / "ok.c").string(), "-o", debugImage.string()}, {}, err),
              0)
        << readText(err);
    EXPECT_TRUE(fs::exists(dir / "out.d" / "ok.dbg"));
    EXPECT_EQ(runImage(debugImage, dir).status, 3);

    EXPECT_NE(runProgram(cc, {(dir / "bad.c").string(), "-o", (dir / "bad.vrn").string()}, {}, err),
              0);
    EXPECT_FALSE(fs::exists(dir / "bad.vrn"));
    EXPECT_NE(readText(err).find("bad.c:1:25: error: 'x' is not declared"), std::string::npos)
        << readText(err);
    EXPECT_EQ(runProgram(cc, {"--version"}), 0);
}

}  // namespace
}  // namespace corvane::test
