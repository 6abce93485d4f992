// The code generator leaves out cuts to 16 bits, reloads and jumps only where the C result
// cannot change, and main runs without a call where start-up stands: at the edges of those
// rewrites (a value that does leave 16 bits, a counter at the end of its type, a result that only
// some callers cut, a main called again) each program still ends with C's value.

#include <gtest/gtest.h>

#include "support/program.h"
#include "tools/vrncc/compiler.h"
#include "tools/vrncc/peephole.h"

namespace corvane::test {
namespace {

// Compiles `source` and runs it to its end: main's result as the machine leaves it.
int32_t resultOf(const std::string& source) {
    CcOptions o;
    o.runtime = false;
    o.readFile = [source](const std::string& path) -> std::optional<std::string> {
        if (path == "main.c") return source;
        return std::nullopt;
    };
    const CcResult c = compileC({"main.c"}, o);
    EXPECT_TRUE(c.ok()) << c.diagnostics;
    Program p(c.image, true);
    for (int slices = 0; slices < 100; ++slices) {
        const RunResult r = p.run(1'000'000);
        if (r.stop == RunStop::Ended) return int32_t(p.top());
        if (r.stop != RunStop::Budget) break;
    }
    ADD_FAILURE() << "did not end:\n" << source;
    return 0;
}

TEST(VrnccLeanCode, EveryRewriteKeepsTheResultOfC) {
    const struct {
        const char* what;
        const char* source;
        int32_t result;
    } cases[] = {
        {"a counted product that fits 16 bits is not cut",
         "int main(void) { long s = 0; int i;\n"
         "  for (i = 0; i < 10000; i++) s += i * 3;\n"
         "  return (int)(s % 30000); }",
         15000},
        {"a counted product past 32767 is still cut",
         "int main(void) { long s = 0; int i;\n"
         "  for (i = 0; i < 30000; i++) s += i * 3;\n"
         "  return (int)(s % 30000); }",
         4728},
        {"an int counted up to the last value its step cannot wrap",
         "int main(void) { long s = 0; int i;\n"
         "  for (i = 32760; i <= 32766; i++) s += i + 1;\n"
         "  return (int)(s % 30000); }",
         19348},
        {"an int whose test never fails wraps past 32767",
         "int main(void) { int i, n = 0;\n"
         "  for (i = 32760; i <= 32767; i++) if (++n > 20) break;\n"
         "  return i; }",
         -32756},
        {"an unsigned int above 32767 is tested as loaded, not as stepped",
         "int main(void) { unsigned u; int n = 0;\n"
         "  for (u = 65530; u < 65535; u++) n++;\n"
         "  return n; }",
         5},
        {"an unsigned char stepped to the end of its type",
         "int main(void) { unsigned char c; int n = 0;\n"
         "  for (c = 250; c < 255; c++) n++;\n"
         "  for (c = 250; c != 4; c++) n++;\n"
         "  return n * 100 + c; }",
         1504},
        {"a counter the body changes is reloaded, and wraps",
         "int main(void) { int i; long n = 0;\n"
         "  for (i = 0; i < 100; i++) { n++; if (i == 10 && n < 20) i = 32767; }\n"
         "  return (int)(n - 32000); }",
         879},
        {"a result without its cut is cut by a caller that needs it",
         "int twice(int a) { return a * 2; }\n"
         "int main(void) { long r = twice(20000); return r < 0; }",
         1},
        {"an unsigned product that wraps to 0 is false",
         "unsigned u = 0x8000; long big = 0x10000L;\n"
         "int main(void) { int n = 0; if (u * 2) n += 1; if ((int)big) n += 2;\n"
         "  return n; }",
         0},
        {"unsigned values above 32767 compared for equality",
         "unsigned a = 40000, b = 40000; unsigned *p = &a, *q = &b;\n"
         "int main(void) { return (a == b) + 2 * (a == 40000u) + 4 * (*p == *q)\n"
         "  + 8 * (p != q); }",
         15},
        {"a switch on a local compares the local itself",
         "int main(void) { int k = -3, n = 0; unsigned char c = 200;\n"
         "  switch (k) { case -3: n = 1; break; case 3: n = 2; break; }\n"
         "  switch (c) { case 200: n += 10; break; case -56: n += 20; break; }\n"
         "  return n; }",
         11},
        {"pointer walks that start apart from their end start with the body",
         "int t[4];\n"
         "int main(void) { int *p, *q, *end = t + 4; int n = 0;\n"
         "  for (p = t, q = t + 1; p != end; p++) n++;\n"
         "  for (q = t; q != t + 2; q++) n += 10;\n"
         "  return n; }",
         24},
        {"a pointer walk that starts at its end runs no pass",
         "int t[4];\n"
         "int main(void) { int *p, *end = t; int n = 0;\n"
         "  for (p = t; p != end; p++) n++;\n"
         "  for (p = t + 8; p != t + 4 + 4; p++) n++;\n"
         "  return n; }",
         0},
        {"an end the function writes again, or whose address it takes, is tested",
         "int t[4]; void set(int **e) { *e = t; }\n"
         "int main(void) { int *p, *end = t + 2, *stop = t + 3; long n = 0;\n"
         "  end = t; set(&stop);\n"
         "  for (p = t; p != end; p++) n++;\n"
         "  for (p = t; p != stop; p++) n += 100;\n"
         "  return (int)(n % 30000); }",
         0},
        {"a later part of the first clause that moves the pointer again",
         "int t[4];\n"
         "int main(void) { int *p, *q; int n = 0;\n"
         "  for (p = t, q = p++; p != t + 1; p++) n++;\n"
         "  return n + (q == t); }",
         1},
        {"main, run where start-up stands, called again by itself",
         "int depth;\n"
         "int main(void) { if (depth++ < 3) return main() + 10; return 5; }",
         35},
        {"main whose address is taken is called through it",
         "int n;\n"
         "int main(void) { int (*f)(void) = main; if (n++) return 7; return f() + 1; }",
         8},
    };
    for (const auto& c : cases) EXPECT_EQ(resultOf(c.source), c.result) << c.what;
}

// Blocks of initial data join across zeros only where no other block writes; constants are
// computed except where the machine must see the division.
TEST(VrnccLeanCode, InitialDataJoinsAndConstantsFoldOnlyWhereNothingChanges) {
    using cc::Ins;
    auto block = [](int32_t at, std::vector<uint8_t> bytes) {
        return Ins{cc::op::INITDATA, at, 0, std::move(bytes)};
    };
    std::vector<Ins> data = {block(0x2000, {1, 2}), block(0x2004, {3}), block(0x2100, {4}),
                             block(0x2110, {5}), block(0x2108, {6})};
    cc::joinInitData(data);
    ASSERT_EQ(data.size(), 4u);  // 0x2100 and 0x2110 stay apart: 0x2108 lies between them
    EXPECT_EQ(data[0].data, (std::vector<uint8_t>{1, 2, 0, 0, 3}));
    EXPECT_EQ(data[1].imm, 0x2100);
    EXPECT_EQ(data[2].imm, 0x2110);

    std::vector<Ins> code = {{cc::op::PUSH_W, 10194, 0, {}}, {cc::op::ADDI, 2000, 0, {}},
                             {cc::op::PUSH_B, 7, 0, {}},     {cc::op::PUSH_B, 0, 0, {}},
                             {cc::op::DIV, 0, 0, {}},        {cc::op::PUSH_B, 3, 0, {}},
                             {cc::op::LDL_I, 5, 0, {}},      {cc::op::MUL, 0, 0, {}}};
    cc::foldConstants(code);
    ASSERT_EQ(code.size(), 6u);
    EXPECT_EQ(code[0].op, cc::op::PUSH_W);
    EXPECT_EQ(code[0].imm, 12194);
    EXPECT_EQ(code[3].op, cc::op::DIV);  // by zero: left for the machine to report
    EXPECT_EQ(code[4].op, cc::op::LDL_I);
    EXPECT_EQ(code[5].op, cc::op::MULI);
}

}  // namespace
}  // namespace corvane::test
