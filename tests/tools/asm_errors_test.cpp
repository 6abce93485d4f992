// Diagnostics: each names the file, line and column of the fault, and a failed assembly gives
// no image.

#include <gtest/gtest.h>

#include "tests/tools/asm_helpers.h"

namespace corvane::test {
namespace {

struct ErrorCase {
    const char* source;
    int line;
    int column;
    const char* message;  // a part of the message
};

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, AreReportedWithTheirPosition) {
    const ErrorCase& c = GetParam();
    AsmResult r = assemble(c.source, "prog.s");
    ASSERT_FALSE(r.ok()) << c.source;
    EXPECT_TRUE(r.image.empty());
    const AsmDiagnostic& e = r.errors.front();
    EXPECT_EQ(e.file, "prog.s");
    EXPECT_EQ(e.line, c.line) << e.toString();
    EXPECT_EQ(e.column, c.column) << e.toString();
    EXPECT_NE(e.message.find(c.message), std::string::npos) << e.toString();
}

INSTANTIATE_TEST_SUITE_P(
    Instructions, Errors,
    ::testing::Values(ErrorCase{"  Exit", 1, 3, "case-sensitive: did you mean 'EXIT'"},
                      ErrorCase{"  push_b 1", 1, 3, "did you mean 'PUSH_B'"},
                      ErrorCase{"  FROB", 1, 3, "unknown instruction 'FROB'"},
                      ErrorCase{"PUSH_B 256", 1, 8, "does not fit in a byte"},
                      ErrorCase{"PUSH_B -129", 1, 8, "does not fit in a byte"},
                      ErrorCase{"PUSH_W 65536", 1, 8, "16 bits"},
                      ErrorCase{"PUSH_D 0x100000000", 1, 8, "32 bits"},
                      ErrorCase{"JMP -1", 1, 5, "24 bits"},
                      ErrorCase{"STRKEY 256", 1, 8, "does not fit in a byte"},
                      ErrorCase{"NOP\n  JMP nowhere", 2, 7, "undefined symbol 'nowhere'"},
                      ErrorCase{"PUSH_B", 1, 7, "expression expected"},
                      ErrorCase{"PUSH_B 1 2", 1, 10, "unexpected '2'"},
                      ErrorCase{"NOP 1", 1, 5, "unexpected '1'"},
                      ErrorCase{"ENTER 1", 1, 8, "more operands expected"},
                      ErrorCase{"ENTER 1 2", 1, 9, "',' expected"},
                      ErrorCase{"PUSH_B (1", 1, 10, "')' expected"},
                      ErrorCase{"PUSH_B 1/0", 1, 9, "division by zero"},
                      ErrorCase{"PUSH_STR 5", 1, 10, "needs a quoted string"},
                      ErrorCase{"PUSH_STR \"a\\0b\"", 1, 10, "zero byte"},
                      ErrorCase{"PUSH_B \"a\"", 1, 8, "string is not allowed"},
                      ErrorCase{".word \"ab\"", 1, 7, "only allowed in '.byte'"},
                      ErrorCase{"INITDATA 0x2000\nNOP", 1, 1, "no '.enddata'"},
                      ErrorCase{".enddata", 1, 1, "without an INITDATA block"}));

INSTANTIATE_TEST_SUITE_P(
    Lexing, Errors,
    ::testing::Values(ErrorCase{"PUSH_STR \"abc", 1, 10, "unterminated string"},
                      ErrorCase{"PUSH_B 'ab'", 1, 8, "exactly one character"},
                      ErrorCase{"PUSH_B 0x", 1, 8, "malformed number"},
                      ErrorCase{"PUSH_B 12ab", 1, 8, "malformed number"},
                      ErrorCase{"PUSH_STR \"\\q\"", 1, 11, "unknown escape \\q"},
                      ErrorCase{"PUSH_STR \"\\x4\"", 1, 11, "two hexadecimal digits"},
                      ErrorCase{".byte 1, $", 1, 10, "unexpected character '$'"}));

INSTANTIATE_TEST_SUITE_P(
    Symbols, Errors,
    ::testing::Values(ErrorCase{"x: NOP\n x: NOP", 2, 2, "'x' is already defined at prog.s:1"},
                      ErrorCase{"EXIT: NOP", 1, 1, "is an instruction"},
                      ErrorCase{".loop: NOP", 1, 1, "no global label before it"},
                      ErrorCase{"JMP .loop", 1, 5, "no global label before it"},
                      ErrorCase{".equ A, B\n.equ B, A\nPUSH_B A", 3, 8,
                                "defined in terms of itself"},
                      ErrorCase{".equ A, 1\nA = 2", 2, 1, "already defined"},
                      ErrorCase{".space N\nN = 3", 1, 8, "'N' must be defined before this line"},
                      ErrorCase{".space -1", 1, 8, "count must be"}));

INSTANTIATE_TEST_SUITE_P(
    Directives, Errors,
    ::testing::Values(
        ErrorCase{".bogus 1", 1, 1, "unknown directive '.bogus'"},
        ErrorCase{"NOP\n.macro m\nNOP", 2, 1, "'.macro m' has no '.endm'"},
        ErrorCase{".endm", 1, 1, "'.endm' without '.macro'"},
        ErrorCase{".if 1\nNOP", 1, 1, "'.if' has no '.endif'"},
        ErrorCase{".endif", 1, 1, "without '.if'"},
        ErrorCase{".if 1\n.else\n.else\n.endif", 3, 1, "second '.else'"},
        ErrorCase{".var x", 1, 1, "outside '.proc'"},
        ErrorCase{".proc f\nRET", 1, 1, "'.proc f' has no '.endproc'"},
        ErrorCase{".proc f a, a\n.endproc", 1, 12, "named twice"},
        ErrorCase{".proc f\n.proc g\n.endproc", 2, 1, "inside '.proc f'"},
        ErrorCase{".proc f x\n.var x\n.endproc", 2, 6, "already a name in this function"},
        ErrorCase{".include \"missing.s\"", 1, 10, "cannot find include file 'missing.s'"},
        ErrorCase{"NOP\n.error \"not for this model\"", 2, 1, "not for this model"},
        ErrorCase{".space 524272\nNOP", 2, 1, "larger than the 524288-byte image buffer"},
        ErrorCase{".macro m a, b\nPUSH_B a + b\n.endm\n m 1", 4, 2,
                  "macro 'm' takes 2 argument(s), not 1"},
        ErrorCase{".macro PUSH_B\n.endm", 1, 8, "is an instruction and cannot be a macro"}));

TEST(Errors, InsideAMacroPointAtTheBodyAndNameTheUse) {
    AsmResult r = assemble(
        ".macro push2 a, b\n"
        "    PUSH_B a\n"
        "    PUSH_B b\n"
        ".endm\n"
        "    push2 1, 300\n",
        "prog.s");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].toString(),
              "prog.s:3:12: value 300 does not fit in a byte (-128..255) "
              "(in macro 'push2' used at prog.s:5)");
}

TEST(Errors, AllAreCollectedInOneRun) {
    AsmResult r = assemble("PUSH_B 999\nFROB\nJMP nowhere\nNOP\nPUSH_B (\n");
    ASSERT_EQ(r.errors.size(), 4u) << r.errorText();
    // In source order, although range checks and undefined names are found after the rest.
    EXPECT_EQ(r.errors[0].line, 1);
    EXPECT_EQ(r.errors[1].toString(), "<source>:2:1: unknown instruction 'FROB'");
    EXPECT_EQ(r.errors[2].line, 3);
    EXPECT_EQ(r.errors[3].line, 5);
}

TEST(Errors, AnEndlessMacroStops) {
    AsmResult r = assemble(".macro again\nagain\n.endm\nagain\n");
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.errorText().find("nested more than 64 deep"), std::string::npos);
}

TEST(Errors, AMacroThatMultipliesItselfStops) {
    // Eight levels of ten uses each would be 10^8 lines.
    std::string source = ".macro m0\n; nothing\n.endm\n";
    for (int i = 1; i < 8; ++i) {
        source += ".macro m" + std::to_string(i) + "\n";
        for (int k = 0; k < 10; ++k) source += "m" + std::to_string(i - 1) + "\n";
        source += ".endm\n";
    }
    source += "m7\n";
    AsmOptions options;
    options.maxLines = 20'000;
    AsmResult r = assemble(source, "<source>", options);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.errorText().find("more than 20000 lines"), std::string::npos);
}

TEST(Errors, AFileThatIncludesItselfStops) {
    AsmResult r =
        assemble(".include \"self.s\"", "self.s", filesFrom({{"self.s", ".include \"self.s\"\n"}}));
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.errorText().find("nested more than 32 deep"), std::string::npos);
}

}  // namespace
}  // namespace corvane::test
