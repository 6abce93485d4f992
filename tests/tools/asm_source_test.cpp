// Macros, includes, conditional assembly and functions with named frames, and a program built
// with them running on the machine.

#include <gtest/gtest.h>

#include "support/program.h"
#include "tests/tools/asm_helpers.h"

namespace corvane::test {
namespace {

TEST(Macros, ReplaceWholeParameterNamesOnly) {
    // `x` is replaced; `xy`, `.x`, strings and numbers like 0x1 are not.
    EXPECT_EQ(codeOf(".macro m x\n"
                     "xy = 5\n"
                     "PUSH_B x + xy\n"
                     "PUSH_STR \"x\"\n"
                     "PUSH_B 0x1\n"
                     ".endm\n"
                     "m 2\n"),
              (Bytes{0x01, 7, 0x0D, 'x', 0, 0x01, 1}));
}

TEST(Macros, ArgumentsKeepCommasInsideParenthesesAndQuotes) {
    EXPECT_EQ(codeOf(".macro two a, b\nPUSH_B a\nPUSH_STR b\n.endm\n"
                     "two (1+2)*3, \"p,q\" ; comment, with comma\n"),
              (Bytes{0x01, 9, 0x0D, 'p', ',', 'q', 0}));
}

TEST(Macros, UniqueLabelsAndGluedNames) {
    AsmResult r = assemble(
        ".macro skip n, tag\n"
        "    JMP over\\@\n"
        "    .space n\n"
        "over\\@:\n"
        "\\tag_size = n\n"
        ".endm\n"
        "f:  skip 1, one\n"
        "    skip 2, two\n"
        "    JMP .end\n"
        ".end: PUSH_B one_size + two_size\n");
    ASSERT_TRUE(r.ok()) << r.errorText();
    Bytes code(r.image.begin() + 16, r.image.end());
    EXPECT_EQ(code, (Bytes{0x3B, 21, 0, 0, 0, 0x3B, 27, 0, 0, 0, 0, 0x3B, 31, 0, 0, 0x01, 3}));
    // Labels made inside macros did not take over the scope of `.end`.
    EXPECT_EQ(r.labels.count("f.end"), 1u);
}

TEST(Macros, MayUseOtherMacrosAndDefineConstants) {
    EXPECT_EQ(codeOf(".macro inner v\nPUSH_W v\n.endm\n"
                     ".macro outer v\ninner v * 2\ninner v + 1\n.endm\n"
                     "outer 10\n"),
              (Bytes{0x02, 20, 0, 0x02, 11, 0}));
}

TEST(Includes, ResolveFromTheIncludingFileThenTheIncludeDirectories) {
    AsmOptions options = filesFrom({
        {"src/main.s", ".include \"lib/defs.s\"\n.include \"common.s\"\nPUSH_B ANSWER\n"},
        {"src/lib/defs.s", ".include \"more.s\"\nANSWER = MORE + 1\n"},
        {"src/lib/more.s", "MORE = 41\n"},
        {"shared/common.s", ".include \"常量.s\"\n"},
        // Named as the source spells it, not in the GB2312 its strings become.
        {"shared/常量.s", "NOP\n"},
    });
    options.includeDirs = {"shared"};
    AsmResult r = assemble(*options.readFile("src/main.s"), "src/main.s", options);
    ASSERT_TRUE(r.ok()) << r.errorText();
    EXPECT_EQ(Bytes(r.image.begin() + 16, r.image.end()), (Bytes{0x00, 0x01, 42}));
}

TEST(Includes, ErrorsNameTheIncludedFile) {
    AsmResult r =
        assemble(".include \"bad.s\"\n", "main.s", filesFrom({{"bad.s", "NOP\n  FROB\n"}}));
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].toString(), "bad.s:2:3: unknown instruction 'FROB'");
}

TEST(Conditionals, SelectLines) {
    AsmOptions options;
    options.defines["MODEL"] = 2;
    EXPECT_EQ(codeOf(".if MODEL != 2 || !(MODEL >= 1)\n"
                     "  PUSH_B 1\n"
                     ".else\n"
                     "  PUSH_B 2\n"
                     "  .if 0\n"
                     "    PUSH_B 3\n"
                     "  .else\n"
                     "    PUSH_B 4\n"
                     "  .endif\n"
                     ".endif\n"
                     ".ifdef MODEL\n PUSH_B 5\n.endif\n"
                     ".ifndef MODEL\n PUSH_B 6\n.else\n PUSH_B 7\n.endif\n"
                     ".if 0\n  .if 1\n PUSH_B 8\n  .endif\n FROB never read\n.endif\n",
                     options),
              (Bytes{0x01, 2, 0x01, 4, 0x01, 5, 0x01, 7}));
}

TEST(Procs, NameArgumentsAndLocalsByFrameOffset) {
    AsmResult r = assemble(
        ".proc f a, b\n"
        ".var x\n"
        ".var buf, 10\n"
        ".var c, 1\n"
        "    LDL_L a\n"
        "    LDL_L b\n"
        "    LDL_L x\n"
        "    ADDRL buf\n"
        "    LDL_C c\n"
        "    PUSH_W f.framesize\n"
        "    RET\n"
        ".endproc\n"
        "    PUSH_B a\n"  // outside the function, `a` is a global again
        "a = 99\n");
    ASSERT_TRUE(r.ok()) << r.errorText();
    Bytes code(r.image.begin() + 16, r.image.end());
    // Frame: 5 header bytes, two arguments at 5 and 9, x at 13, buf at 17, c at 27; size 28.
    EXPECT_EQ(code, (Bytes{0x3E, 28, 0, 2,    0x10, 5, 0,    0x10, 9, 0,    0x10, 13, 0,
                           0x19, 17, 0, 0x0E, 27,   0, 0x02, 28,   0, 0x3F, 0x01, 99}));
    EXPECT_EQ(r.labels.at("f"), 16u);
}

// A whole program built with the helpers runs as written on the machine: calls with arguments
// and locals, a keyed string, and initial data.
TEST(Program, AssembledWithHelpersRunsOnTheMachine) {
    Bytes image = assembleOrThrow(R"(
RESULT = 0x2000
LONG   = 0x40000          ; TypedAddr width tag of a long
FRAME  = 0x800000         ; TypedAddr: offset from fp

main:   SETSP 0x3000
        INITDATA 0x2010
        .word 0x1234
        .byte "ok"
        .enddata
        PUSH_D LONG + RESULT
        PUSH_B 10
        PUSH_B 20
        CALL add
        ASSIGN
        STRKEY 0x33
        PUSH_STR "中a"
        EXIT

.proc add a, b
.var sum
        PUSH_D FRAME + LONG + sum
        LDL_L a
        LDL_L b
        ADD
        ASSIGN
        RET
.endproc
)");
    Program p(image, true);
    RunResult result = p.run(1000);
    EXPECT_EQ(result.stop, RunStop::Ended);
    EXPECT_FALSE(p.m.faulted) << p.m.faultReason;
    EXPECT_EQ(p.m.read32(0x2000), 30u);
    EXPECT_EQ(p.m.read32(0x3000 + 13), 30u);  // the local `sum` of add's frame
    EXPECT_EQ(p.m.read16(0x2010), 0x1234u);
    EXPECT_EQ(p.m.read8(0x2012), 'o');
    EXPECT_EQ(p.m.read8(0x7000), 0xD6);
    EXPECT_EQ(p.m.read8(0x7001), 0xD0);
    EXPECT_EQ(p.m.read8(0x7002), 'a');
    EXPECT_EQ(p.m.read8(0x7003), 0);
    EXPECT_EQ(p.top(), 0x00107000u);  // the string's address is left on the stack
}

}  // namespace
}  // namespace corvane::test
