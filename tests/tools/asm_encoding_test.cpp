// Encodings the assembler produces: every operand form, literals, expressions, labels,
// constants, raw data, INITDATA, strings under a key and GB2312 text.

#include <gtest/gtest.h>

#include "tests/tools/asm_helpers.h"
#include "vm/opcodes.h"

namespace corvane::test {
namespace {

struct EncodingCase {
    const char* source;
    Bytes code;
};

class Encoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Encoding, GivesTheseBytes) {
    EXPECT_EQ(codeOf(GetParam().source), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    OperandForms, Encoding,
    ::testing::Values(
        EncodingCase{"NOP", {0x00}}, EncodingCase{"NOP2", {0x44}}, EncodingCase{"EXIT", {0x40}},
        EncodingCase{"exit", {0x8D}}, EncodingCase{"printf", {0x82}},
        EncodingCase{"TextOut", {0x8A}}, EncodingCase{"ReservedCC", {0xCC}},
        EncodingCase{"ReservedD1", {0xD1}}, EncodingCase{"PUSH_B 255", {0x01, 0xFF}},
        EncodingCase{"PUSH_B -1", {0x01, 0xFF}}, EncodingCase{"PUSH_B 'A'", {0x01, 0x41}},
        EncodingCase{"PUSH_B '\\n'", {0x01, 0x0A}},
        EncodingCase{"PUSH_W -32768", {0x02, 0x00, 0x80}},
        EncodingCase{"PUSH_W 0xFFFF", {0x02, 0xFF, 0xFF}},
        EncodingCase{"EQI -1", {0x4C, 0xFF, 0xFF}},
        EncodingCase{"PUSH_D 0x12345678", {0x03, 0x78, 0x56, 0x34, 0x12}},
        EncodingCase{"PUSH_D -2", {0x03, 0xFE, 0xFF, 0xFF, 0xFF}},
        EncodingCase{"PUSH_D 4294967295", {0x03, 0xFF, 0xFF, 0xFF, 0xFF}},
        EncodingCase{"LDG_C 0x2001", {0x04, 0x01, 0x20}},
        EncodingCase{"LDLX_I 6", {0x12, 0x06, 0x00}},
        EncodingCase{"SETSP 0x3000", {0x3C, 0x00, 0x30}},
        EncodingCase{"JMP 0x123456", {0x3B, 0x56, 0x34, 0x12}},
        EncodingCase{"LINE 70000", {0x52, 0x70, 0x11, 0x01}},
        EncodingCase{"FUNC 3", {0x53, 0x03, 0x00, 0x00}},
        EncodingCase{"ENTER 21, 2", {0x3E, 0x15, 0x00, 0x02}},
        EncodingCase{"STRKEY 0x80", {0x43, 0x80}},
        EncodingCase{"PUSH_STR \"ab\"", {0x0D, 'a', 'b', 0x00}},
        EncodingCase{"PUSH_STR \"\"", {0x0D, 0x00}},
        EncodingCase{"PUSH_STR \"\\t\\\\\\\"\\x7F\"", {0x0D, 0x09, '\\', '"', 0x7F, 0x00}},
        EncodingCase{"INITDATA 0x2000, 1, 2, 3", {0x41, 0x00, 0x20, 3, 0, 1, 2, 3}},
        EncodingCase{"INITDATA 0x2000, \"ab\", -1", {0x41, 0x00, 0x20, 3, 0, 'a', 'b', 0xFF}},
        EncodingCase{"INITDATA 0x2000\n.enddata", {0x41, 0x00, 0x20, 0, 0}},
        EncodingCase{"INITDATA 0x2100\n.word 0x1234\n.long 1\n.byte 9\n.enddata",
                     {0x41, 0x00, 0x21, 7, 0, 0x34, 0x12, 1, 0, 0, 0, 9}}));

INSTANTIATE_TEST_SUITE_P(
    DataAndMarkers, Encoding,
    ::testing::Values(
        EncodingCase{".byte 1, -1, \"AB\", 'c'", {1, 0xFF, 'A', 'B', 'c'}},
        EncodingCase{".byte \"a\\0b\"", {'a', 0, 'b'}},  // zero bytes are fine in raw data
        EncodingCase{".word 0x1234, -2", {0x34, 0x12, 0xFE, 0xFF}},
        EncodingCase{".long 0x01020304", {4, 3, 2, 1}},
        EncodingCase{".asciz \"hi\"", {'h', 'i', 0}},
        EncodingCase{".space 3, 0xAA", {0xAA, 0xAA, 0xAA}}, EncodingCase{".space 2", {0, 0}},
        EncodingCase{".func 0x10203", {0x53, 3, 2, 1}},
        EncodingCase{".line 300", {0x52, 0x2C, 0x01, 0}},
        EncodingCase{"NOP\n\n.line", {0x00, 0x52, 3, 0, 0}},  // the current source line
        EncodingCase{"\t PUSH_B 1 ; comment; with \"quotes\"", {0x01, 1}},
        EncodingCase{"; only a comment\n\n", {}}));

// Every opcode of the map assembles from its one spelling into its opcode and operand bytes.
TEST(Encoding, EveryMnemonicGivesItsOpcode) {
    for (int op = 0; op < 256; ++op) {
        const OpInfo& info = opInfo(uint8_t(op));
        if (info.name == nullptr) continue;
        std::string line = info.name;
        size_t extra = size_t(operandBytes(info.operands));
        switch (info.operands) {
            case Operands::None:
                break;
            case Operands::Enter:
                line += " 1, 2";
                break;
            case Operands::String:
                line += " \"x\"", extra = 2;
                break;
            case Operands::InitData:
                line += " 0x2000, 7", extra += 1;
                break;
            default:
                line += " 1";
                break;
        }
        Bytes code = codeOf(line);
        ASSERT_FALSE(code.empty()) << line;
        EXPECT_EQ(code[0], op) << line;
        EXPECT_EQ(code.size(), 1 + extra) << line;
    }
}

TEST(Encoding, ImageStartsWithTheHeader) {
    Bytes image = assembleOrThrow("NOP");
    EXPECT_EQ(image, (Bytes{'V', 'R', 'N', 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}));
    Bytes reserved = assembleOrThrow(".header 1, 2, 3");
    EXPECT_EQ(Bytes(reserved.begin() + 4, reserved.begin() + 8), (Bytes{1, 2, 3, 0}));
}

struct ExprCase {
    const char* expr;
    int64_t value;
};

class Expressions : public ::testing::TestWithParam<ExprCase> {};

TEST_P(Expressions, Evaluate) {
    std::string source = ".equ X, 21\n.equ Y, X * 2\n.long " + std::string(GetParam().expr);
    Bytes code = codeOf(source);
    ASSERT_EQ(code.size(), 4u);
    uint32_t v = code[0] | (code[1] << 8) | (code[2] << 16) | (uint32_t(code[3]) << 24);
    EXPECT_EQ(v, uint32_t(GetParam().value)) << GetParam().expr;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Expressions,
    ::testing::Values(ExprCase{"1+2*3", 7}, ExprCase{"(1+2)*3", 9}, ExprCase{"10-4-3", 3},
                      ExprCase{"-5+10", 5}, ExprCase{"~0 & 0xFF", 255}, ExprCase{"1<<4|1", 17},
                      ExprCase{"0x100>>4", 16}, ExprCase{"6^3", 5}, ExprCase{"7/2", 3},
                      ExprCase{"-7/2", -3}, ExprCase{"-7%2", -1}, ExprCase{"'A'+1", 66},
                      ExprCase{"0b1010", 10}, ExprCase{"0XfF", 255}, ExprCase{"Y - X", 21},
                      ExprCase{"+-+3", -3}, ExprCase{"3 == 3", 1}, ExprCase{"2 != 2", 0},
                      ExprCase{"1 < 2 == 1", 1}, ExprCase{"-1 >= 0", 0}, ExprCase{"!0 + !5", 1},
                      ExprCase{"1 + 2 << 1", 6}, ExprCase{"6 & 3 == 3", 0},
                      ExprCase{"2 && 0 || 3", 1}, ExprCase{"-2147483648", INT32_MIN}));

TEST(Labels, AreCodeAddressesCountingTheHeader) {
    AsmResult r = assemble(
        "start: JMP end\n"
        "       NOP\n"
        "mid:   JZ start\n"
        "end:   CALL mid+1\n");
    ASSERT_TRUE(r.ok()) << r.errorText();
    EXPECT_EQ(r.labels.at("start"), 16u);
    EXPECT_EQ(r.labels.at("mid"), 21u);
    EXPECT_EQ(r.labels.at("end"), 25u);
    Bytes code(r.image.begin() + 16, r.image.end());
    EXPECT_EQ(code, (Bytes{0x3B, 25, 0, 0, 0x00, 0x39, 16, 0, 0, 0x3D, 22, 0, 0}));
}

TEST(Labels, LocalLabelsBelongToTheLastGlobalLabel) {
    AsmResult r = assemble(
        "f:   NOP\n"
        ".a:  JMP .a\n"
        "g:   NOP\n"
        ".a:  JMP .a\n"
        "     JMP f.a\n"
        "x: y: NOP\n");
    ASSERT_TRUE(r.ok()) << r.errorText();
    EXPECT_EQ(r.labels.at("f.a"), 17u);
    EXPECT_EQ(r.labels.at("g.a"), 22u);
    EXPECT_EQ(r.labels.at("x"), r.labels.at("y"));
    Bytes code(r.image.begin() + 16, r.image.end());
    EXPECT_EQ(code[2], 17);   // JMP .a in f
    EXPECT_EQ(code[7], 22);   // JMP .a in g
    EXPECT_EQ(code[11], 17);  // JMP f.a from g
}

TEST(Constants, MayUseLabelsDefinedLaterAndBothSpellings) {
    EXPECT_EQ(codeOf(".equ SIZE, end - begin\n"
                     "PUSH_B SIZE\n"
                     "begin: NOP\nNOP\nend:\n"
                     "LEN = SIZE * 2\n"
                     "PUSH_B LEN\n"),
              (Bytes{0x01, 2, 0x00, 0x00, 0x01, 4}));
}

TEST(Constants, DefinesFromOptions) {
    AsmOptions options;
    options.defines["DEBUG"] = 3;
    EXPECT_EQ(codeOf("PUSH_B DEBUG", options), (Bytes{0x01, 3}));
}

TEST(StringKey, AppliesToEveryByteAndTheTerminator) {
    EXPECT_EQ(codeOf("STRKEY 0x5A\nPUSH_STR \"hi\""),
              (Bytes{0x43, 0x5A, 0x0D, 'h' ^ 0x5A, 'i' ^ 0x5A, 0x5A}));
    // The key in force is the last one set before the string in the source.
    EXPECT_EQ(codeOf("STRKEY 1\nSTRKEY 0\nPUSH_STR \"A\""),
              (Bytes{0x43, 1, 0x43, 0, 0x0D, 'A', 0}));
    // A key given by a constant defined further down.
    EXPECT_EQ(codeOf("STRKEY K\nPUSH_STR \"A\"\nK = 0x20"), (Bytes{0x43, 0x20, 0x0D, 'a', 0x20}));
    // .strkey tells the assembler the key without emitting STRKEY.
    EXPECT_EQ(codeOf(".strkey 0x11\nPUSH_STR \"A\""), (Bytes{0x0D, 'A' ^ 0x11, 0x11}));
}

TEST(StringKey, StringsWithABytewiseTerminatorAreRefused) {
    // A plain zero would be encoded as the key itself and end the string early at run time.
    for (const char* source :
         {"PUSH_STR \"a\\0b\"", "STRKEY 7\nPUSH_STR \"a\\x00\"", "STRKEY 0x41\nPUSH_STR \"\\0\""}) {
        AsmResult r = assemble(source);
        EXPECT_FALSE(r.ok()) << source;
    }
    // A byte equal to the key in the plain text is harmless: it encodes as 0.
    EXPECT_EQ(codeOf("STRKEY 0x41\nPUSH_STR \"A\""), (Bytes{0x43, 0x41, 0x0D, 0x00, 0x41}));
}

TEST(Gb2312, Utf8TextBecomesGb2312Bytes) {
    EXPECT_EQ(codeOf("PUSH_STR \"中文\""), (Bytes{0x0D, 0xD6, 0xD0, 0xCE, 0xC4, 0x00}));
    EXPECT_EQ(codeOf("STRKEY 0x0F\nPUSH_STR \"a中\""),
              (Bytes{0x43, 0x0F, 0x0D, 'a' ^ 0x0F, 0xD6 ^ 0x0F, 0xD0 ^ 0x0F, 0x0F}));
    EXPECT_EQ(codeOf(".byte \"你好!\""), (Bytes{0xC4, 0xE3, 0xBA, 0xC3, '!'}));
    EXPECT_EQ(codeOf(".word '中'"), (Bytes{0xD6, 0xD0}));
    // Escapes stay raw bytes: they are not converted.
    EXPECT_EQ(codeOf(".byte \"\\xD6\\xD0\""), (Bytes{0xD6, 0xD0}));
}

TEST(Gb2312, TextOutsideTheCodePageIsAnError) {
    AsmResult r = assemble("  PUSH_STR \"ok😀\"");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].column, 15);
    EXPECT_NE(r.errors[0].message.find("GB2312"), std::string::npos);
}

}  // namespace
}  // namespace corvane::test
