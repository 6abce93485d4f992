// Corpus programs whose meaning does not depend on the width of int (marked NAME.portable)
// give the same output when the build machine's own C compiler builds them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "host/app_test_files.h"
#include "support/build_paths.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kPrograms = fs::path(corvane::test::sourceDir()) / "tests" / "vrncc" / "programs";

std::vector<std::string> portable() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kPrograms))
        if (e.path().extension() == ".portable") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

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

INSTANTIATE_TEST_SUITE_P(Programs, PortableCorpus, ::testing::ValuesIn(portable()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace corvane::test
