// vrncc -fcheck: each faulty program ends with the check it fails, named by corvane-run with the
// source line of the failing code (from the debug information beside the image), and a fault's
// exit status.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <regex>

#include "host/app_test_files.h"
#include "support/build_paths.h"
#include "support/process.h"
#include "tools/vrncc/compiler.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

constexpr int kFaultStatus = 3;

struct Faulty {
    const char* name;
    const char* source;
    const char* message;  // what the end says, before " at 0x..."
    const char* place;    // "prog.c:LINE in FUNCTION", or "" without debug information
};

// Each program's failing line is marked in a comment.
const Faulty kFaulty[] = {
    {"recursion", R"(int depth(int n) { /* 1 */
    int pad[8];
    pad[0] = n;
    return depth(n + 1) + pad[0];
}
int main(void) { return depth(0); }
)",
     "stack overflow", "prog.c:1 in depth"},
    {"null read", R"(int main(void)
{
    int *p = 0;
    return *p; /* 4 */
}
)",
     "null pointer read", "prog.c:4 in main"},
    {"null member write in a callee", R"(struct node { int value; struct node *next; };
void set(struct node *n, int v)
{
    n->next = 0; /* 4 */
    n->value = v;
}
int main(void)
{
    set(0, 3);
    return 0;
}
)",
     "null pointer write", "prog.c:4 in set"},
    {"null read in a loop's condition", R"(struct node { int value; struct node *next; };
int sum(struct node *n)
{
    int s = 0;
    while (n->value) { /* 5 */
        s += n->value;
        n = n->next;
    }
    return s;
}
int main(void)
{
    struct node last = {1, 0};
    return sum(&last);
}
)",
     "null pointer read", "prog.c:5 in sum"},
    {"null read in a for loop's step", R"(int main(void)
{
    int i, *p = 0, s = 0;
    for (i = 0; i < 3; i += *p) /* 4 */
        s++;
    return s;
}
)",
     "null pointer read", "prog.c:4 in main"},
    {"null increment", R"(int main(void)
{
    char *s = 0;
    s[3]++; /* 4 */
    return 0;
}
)",
     "null pointer write", "prog.c:4 in main"},
    {"call through a number", R"(int one(void) { return 1; }
int main(void)
{
    int (*f)(void) = one;
    f = (int (*)(void))1234;
    return f() + one(); /* 6 */
}
)",
     "call through a pointer that is not a function", "prog.c:6 in main"},
    {"call through null, no function's address taken", R"(int main(void)
{
    int (*f)(void) = 0;
    return f(); /* 4 */
}
)",
     "call through a pointer that is not a function", "prog.c:4 in main"},
    {"heap overflow", R"(#include <stdlib.h>
#include <string.h>
int main(void)
{
    char *s = malloc(4);
    strcpy(s, "hello");
    free(s); /* 7 */
    return 0;
}
)",
     "heap overflow detected by free", "prog.c:7 in main"},
    {"overflow into a free block", R"(#include <stdlib.h>
#include <string.h>
int main(void)
{
    char *a = malloc(4), *b = malloc(4), *c = malloc(4);
    free(b);
    memset(a, 0, 12);
    a = malloc(2); /* 8 */
    return a == c;
}
)",
     "heap overflow detected by malloc", "prog.c:8 in main"},
    {"overflow found by realloc", R"(#include <stdlib.h>
int main(void)
{
    char *a = malloc(5);
    a[5] = 1;
    a = realloc(a, 40); /* 6 */
    return 0;
}
)",
     "heap overflow detected by realloc", "prog.c:6 in main"},
    {"double free", R"(#include <stdlib.h>
int main(void)
{
    int *a = malloc(8), *b = malloc(8);
    free(a);
    free(b);
    free(a); /* 7 */
    return 0;
}
)",
     "double free", "prog.c:7 in main"},
    {"free of a local", R"(#include <stdlib.h>
int main(void)
{
    int x;
    free(&x); /* 5 */
    return 0;
}
)",
     "free of a pointer that malloc did not return", "prog.c:5 in main"},
    {"free inside a block", R"(#include <stdlib.h>
int main(void)
{
    char *a = malloc(20);
    free(a + 6); /* 5 */
    return 0;
}
)",
     "free of a pointer that malloc did not return", "prog.c:5 in main"},
    {"realloc after free", R"(#include <stdlib.h>
int main(void)
{
    char *a = malloc(20), *b = malloc(20);
    free(a);
    b = realloc(a, 30); /* 6 */
    return b != 0;
}
)",
     "realloc of a freed pointer", "prog.c:6 in main"},
    {"without debug information", R"(int main(void)
{
    int *p = 0;
    *p = 1;
    return 0;
}
)",
     "null pointer write", ""},
};

class Checks : public ::testing::TestWithParam<Faulty> {};

TEST_P(Checks, EndWithTheCheckAndTheFailingLine) {
    const Faulty& c = GetParam();
    TempDir dir;
    writeText(dir / "prog.c", c.source);
    CcOptions o;
    o.check = true;
    o.debug = *c.place != '\0';
    CcResult r = compileC({(dir / "prog.c").string()}, o);
    ASSERT_TRUE(r.ok()) << r.diagnostics;
    writeBytes(dir / "prog.vrn", r.image);
    if (o.debug) writeText(dir / "prog.dbg", r.debugInfo);
    const fs::path err = dir / "err.txt";
    const int status = runProgram(builtProgram("corvane-run"),
                                  {"--root", dir.path().string(), (dir / "prog.vrn").string()},
                                  dir / "out.txt", err);
    EXPECT_EQ(status, kFaultStatus);
    // The source path is the folder's and the file's name: only its end is compared.
    std::string expected = std::string(c.message) + " at 0x[0-9A-F]{6}";
    if (*c.place)
        expected += " \\(.*" + std::regex_replace(c.place, std::regex("\\."), "\\.") + "\\)";
    EXPECT_TRUE(std::regex_search(readText(err), std::regex(expected + "\r?\n")))
        << readText(err) << "\nexpected: " << expected;
}

INSTANTIATE_TEST_SUITE_P(Faulty, Checks, ::testing::ValuesIn(kFaulty), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

}  // namespace
}  // namespace corvane::test
