// `make csmith`'s keep step: a reduced mismatch is written into a corpus folder only while the
// compiler under test still gets it wrong when compiled as the corpus test compiles it, and a
// program that draws warnings carries the "-w" the corpus test needs to stay quiet on it.

#include <gtest/gtest.h>

#include <filesystem>

#include "host/app_test_files.h"
#include "support/build_paths.h"
#include "support/process.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

TEST(CsmithKeep, WritesOnlyAFaultTheCompilerStillShows) {
    struct Case {
        const char* what;
        const char* program;
        const char* expected;  // the other compilers' output
        bool kept;
        bool quietFlag;
    };
    const Case cases[] = {
        {"vrncc prints what it should: nothing to keep",
         "#include <stdio.h>\nint main(void) { printf(\"7\\n\"); return 0; }\n", "7\n", false,
         false},
        {"a difference, no warnings", "#include <stdio.h>\nint main(void) { printf(\"7\\n\"); }\n",
         "8\n", true, false},
        {"a difference in a program that converts a constant on purpose",
         "#include <stdio.h>\nint main(void) { int x = 40000; printf(\"%d\\n\", x); return 0; }\n",
         "40000\n", true, true},
        {"a program vrncc refuses is no regression test", "int main(void) { return y; }\n", "0\n",
         false, false},
    };
    const fs::path script = fs::path(sourceDir()) / "scripts" / "csmith" / "run.py";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path corpus = dir / "corpus";
        writeText(dir / "csmith_1.c", c.program);
        writeText(dir / "other.out", c.expected);
        const int status =
            runProgram(script,
                       {"--bin", binDir(), "--keep-program", (dir / "csmith_1.c").string(),
                        "--expected", (dir / "other.out").string(), "--programs", corpus.string()},
                       dir / "out.txt", dir / "err.txt");
        EXPECT_EQ(status, c.kept ? 0 : 1) << readText(dir / "out.txt") << readText(dir / "err.txt");
        EXPECT_EQ(fs::exists(corpus / "csmith_1.c"), c.kept);
        if (c.kept) {
            EXPECT_EQ(readText(corpus / "csmith_1.c"), c.program);
            EXPECT_EQ(readText(corpus / "csmith_1.expected"), c.expected);
        }
        EXPECT_EQ(fs::exists(corpus / "csmith_1.flags"), c.quietFlag);
        if (c.quietFlag) {
            EXPECT_EQ(readText(corpus / "csmith_1.flags"), "-w\n");
        }
    }
}

}  // namespace
}  // namespace corvane::test
