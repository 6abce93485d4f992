// Constant expressions are folded at the machine's widths (int 16 bits, long 32, long long 64),
// whatever the width of the compiling machine's own integers: a folded expression compiles to
// exactly the image of the constant it must give.

#include <gtest/gtest.h>

#include <map>

#include "tools/vrncc/compiler.h"

namespace corvane::test {
namespace {

CcResult compileFunction(const std::string& type, const std::string& value) {
    CcOptions o;
    o.runtime = false;
    const std::string source =
        type + " f(void) { return " + value + "; }\n" + "int main(void) { f(); return 0; }\n";
    o.readFile = [source](const std::string& path) -> std::optional<std::string> {
        if (path == "main.c") return source;
        return std::nullopt;
    };
    return compileC({"main.c"}, o);
}

TEST(VrnccFolding, ThirtyTwoBitArithmeticFoldsToItsConstant) {
    const struct {
        const char* type;
        const char* expr;
        const char* constant;
    } cases[] = {
        // unsigned long: the whole 32 bits, modulo 2^32
        {"unsigned long", "0xFFFFFFFFUL / 3", "0x55555555UL"},
        {"unsigned long", "4000000000UL % 7UL", "3UL"},
        {"unsigned long", "~0UL >> 4", "0x0FFFFFFFUL"},
        {"unsigned long", "65535U * 65537UL", "0xFFFFFFFFUL"},
        {"unsigned long", "0xFFFFFFFFUL + 2", "1UL"},
        {"unsigned long", "-1L / 2UL", "0x7FFFFFFFUL"},
        {"unsigned long", "1UL << 31", "0x80000000UL"},
        {"unsigned long", "3000000000UL - 4000000000UL", "3294967296UL"},
        // long: two's complement at 32 bits, the smallest value included
        {"long", "2147483647L + 1", "(long)0x80000000UL"},
        {"long", "(-2147483647L - 1) / -1L", "(long)0x80000000UL"},
        {"long", "(-2147483647L - 1) % -1L", "0L"},
        {"long", "-(-2147483647L - 1)", "(long)0x80000000UL"},
        {"long", "(-2147483647L - 1) >> 31", "-1L"},
        {"long", "(long)0xFFFFFFFFUL", "-1L"},
        {"long", "-7L / 2", "-3L"},
        {"long", "-7L % 2", "-1L"},
        // comparisons of unsigned long in unsigned order
        {"int", "4000000000UL > 1UL", "1"},
        {"int", "0x80000000UL < 0x7FFFFFFFUL", "0"},
        {"int", "(unsigned long)-1 == 0xFFFFFFFFUL", "1"},
        {"int", "-1L < 0UL", "0"},
        // long long and unsigned long long: 64 bits, whatever int64_t does on the host
        {"unsigned long long", "0xFFFFFFFFFFFFFFFFULL / 3", "0x5555555555555555ULL"},
        {"unsigned long long", "~0ULL >> 60", "15ULL"},
        {"unsigned long long", "0ULL - 1", "0xFFFFFFFFFFFFFFFFULL"},
        {"unsigned long long", "4294967296ULL * 4294967297ULL", "4294967296ULL"},
        {"long long", "(-9223372036854775807LL - 1) / -1", "-9223372036854775807LL - 1"},
        {"long long", "(-9223372036854775807LL - 1) % -1", "0LL"},
        {"long long", "(-9223372036854775807LL - 1) >> 63", "-1LL"},
        {"long long", "-7LL / 2", "-3LL"},
        {"long long", "-7LL % 2", "-1LL"},
        {"long long", "4294967295UL + 1LL", "4294967296LL"},
        {"long long", "2147483647L * 2147483647LL", "4611686014132420609LL"},
        {"int", "0xFFFFFFFFFFFFFFFFULL > 1ULL", "1"},
        {"int", "-1LL < 0ULL", "0"},
        {"int", "-1LL < 0LL", "1"},
        {"int", "3000000000 > -1", "1"},  // a decimal constant beyond long is a long long
        // int and unsigned int at 16 bits
        {"unsigned int", "0xFFFFU + 1U", "0U"},
        {"int", "32767 + 1", "-32768"},
        {"int", "(int)40000U", "-25536"},
    };
    for (const auto& c : cases) {
        CcResult folded = compileFunction(c.type, c.expr);
        CcResult constant = compileFunction(c.type, c.constant);
        ASSERT_TRUE(folded.ok()) << c.expr << "\n" << folded.diagnostics;
        ASSERT_TRUE(constant.ok()) << c.constant << "\n" << constant.diagnostics;
        EXPECT_EQ(folded.image, constant.image)
            << c.type << ": " << c.expr << " is not " << c.constant;
    }
}

// Case labels and array sizes are folded the same way.
TEST(VrnccFolding, CaseLabelsAndSizesUseTheMachinesWidths) {
    auto compile = [](const std::string& source) {
        CcOptions o;
        o.runtime = false;
        o.readFile = [source](const std::string& path) -> std::optional<std::string> {
            if (path == "main.c") return source;
            return std::nullopt;
        };
        return compileC({"main.c"}, o);
    };
    // 0xFFFFFFFF and -1 are one value of unsigned long: the second label repeats the first.
    CcResult dup = compile(
        "int main(void) { unsigned long x = 0; switch (x) { case 0xFFFFFFFFUL: return 1; "
        "case (unsigned long)-1: return 2; } return 0; }\n");
    EXPECT_NE(dup.diagnostics.find("duplicate case value 4294967295"), std::string::npos)
        << dup.diagnostics;
    CcResult distinct = compile(
        "int main(void) { long x = 0; switch (x) { case 0x7FFFFFFFL: return 1; "
        "case -2147483647L - 1: return 2; case 65536L: return 3; case 0: return 4; } "
        "return 0; }\n");
    EXPECT_TRUE(distinct.ok()) << distinct.diagnostics;
    CcResult sized =
        compile("char a[(0x10000UL * 0x10000UL) + 5]; int main(void) { return sizeof a; }\n");
    CcResult five = compile("char a[5]; int main(void) { return sizeof a; }\n");
    ASSERT_TRUE(sized.ok()) << sized.diagnostics;
    ASSERT_TRUE(five.ok()) << five.diagnostics;
    EXPECT_EQ(sized.image, five.image);
}

}  // namespace
}  // namespace corvane::test
