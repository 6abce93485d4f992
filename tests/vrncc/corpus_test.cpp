// The corpus: C programs compiled by vrncc and run by corvane-run, compared with the output and
// exit status they must give.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/app_test_files.h"
#include "tools/vrncc/compiler.h"
#include "vrncc/expected_output.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kPrograms = fs::path(CORVANE_SOURCE_DIR) / "tests" / "vrncc" / "programs";

struct RunOutcome {
    int status = -1;
    std::string out;
};

RunOutcome runImage(const fs::path& image, const TempDir& dir) {
    const fs::path outFile = dir / "stdout.txt";
    const std::string cmd = std::string(CORVANE_BIN_DIR) +
                            "/corvane-run --stdout --exit-status --root " + dir.path().string() +
                            " " + image.string() + " >" + outFile.string() + " 2>" +
                            (dir / "stderr.txt").string();
    RunOutcome r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readText(outFile);
    return r;
}

std::vector<std::string> corpus() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kPrograms))
        if (e.path().extension() == ".c") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, PrintsAndEndsAsExpected) {
    const std::string name = GetParam();
    TempDir dir;
    CcResult r = compileC({(kPrograms / (name + ".c")).string()});
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

// Programs whose meaning does not depend on the width of int (marked NAME.portable) give the
// same output when the host's C compiler builds them.
class PortableCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(PortableCorpus, HostCompilerAgrees) {
    const std::string name = GetParam();
    if (std::system("command -v cc >/dev/null 2>&1") != 0) GTEST_SKIP() << "no host compiler";
    TempDir dir;
    const fs::path exe = dir / "host";
    const std::string build = "cc -w -o " + exe.string() + " " +
                              (kPrograms / (name + ".c")).string() + " 2>" +
                              (dir / "cc.txt").string();
    ASSERT_EQ(std::system(build.c_str()), 0) << readText(dir / "cc.txt");
    const std::string run = exe.string() + " >" + (dir / "out.txt").string();
    std::system(run.c_str());
    EXPECT_EQ(readText(dir / "out.txt"), readText(kPrograms / (name + ".expected")));
}

INSTANTIATE_TEST_SUITE_P(Programs, Corpus, ::testing::ValuesIn(corpus()),
                         [](const auto& info) { return info.param; });

std::vector<std::string> portable() {
    std::vector<std::string> names;
    for (const std::string& n : corpus())
        if (fs::exists(kPrograms / (n + ".portable"))) names.push_back(n);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Programs, PortableCorpus, ::testing::ValuesIn(portable()),
                         [](const auto& info) { return info.param; });

// The command line: an image written where -o says, and diagnostics with a failing status.
TEST(VrnccCommand, WritesTheImageOrFailsWithDiagnostics) {
    TempDir dir;
    writeText(dir / "ok.c", "int main(void) { return 3; }\n");
    writeText(dir / "bad.c", "int main(void) { return x; }\n");
    const std::string cc = std::string(CORVANE_BIN_DIR) + "/vrncc ";
    const std::string err = " 2>" + (dir / "err.txt").string();
    EXPECT_EQ(
        std::system(
            (cc + (dir / "ok.c").string() + " -o " + (dir / "ok.vrn").string() + err).c_str()),
        0);
    EXPECT_EQ(runImage(dir / "ok.vrn", dir).status, 3);
    EXPECT_NE(
        std::system(
            (cc + (dir / "bad.c").string() + " -o " + (dir / "bad.vrn").string() + err).c_str()),
        0);
    EXPECT_FALSE(fs::exists(dir / "bad.vrn"));
    EXPECT_NE(readText(dir / "err.txt").find("bad.c:1:25: error: 'x' is not declared"),
              std::string::npos)
        << readText(dir / "err.txt");
    EXPECT_EQ(std::system((cc + "--version >/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace corvane::test
