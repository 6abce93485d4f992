// Operators on 32-bit values: binary, immediate, unary, increment and decrement, and the
// division faults.

#include <gtest/gtest.h>

#include <string>

#include "support/program.h"

namespace corvane::test {
namespace {

constexpr uint32_t T = 0xFFFFFFFF;  // true
constexpr uint32_t kMin = 0x80000000;

uint32_t binary(const char* op, uint32_t a, uint32_t b) {
    Program p(Code{}.op("PUSH_D").u32(a).op("PUSH_D").u32(b).op(op).op("EXIT"));
    p.run();
    EXPECT_FALSE(p.m.faulted) << op << ": " << p.m.faultReason;
    EXPECT_EQ(p.m.osp, 4) << op << " must leave exactly one value";
    return p.top();
}

uint32_t immediate(const char* op, uint32_t a, uint16_t imm) {
    Program p(Code{}.op("PUSH_D").u32(a).op(op).u16(imm).op("EXIT"));
    p.run();
    EXPECT_FALSE(p.m.faulted) << op << ": " << p.m.faultReason;
    EXPECT_EQ(p.m.osp, 4) << op;
    return p.top();
}

struct BinaryCase {
    const char* op;
    uint32_t a, b, result;
};

TEST(Binary, OperatorsOnTheTwoTopSlots) {
    const BinaryCase cases[] = {
        {"ADD", 0xFFFFFFFF, 2, 1},
        {"SUB", 1, 2, 0xFFFFFFFF},
        {"AND", 0xF0F0, 0xFF00, 0xF000},
        {"OR", 0xF0, 0x0F, 0xFF},
        {"XOR", 0xFF, 0x0F, 0xF0},
        {"MUL", 0x10000, 0x10000, 0},
        {"MUL", uint32_t(-3), 7, uint32_t(-21)},
        {"DIV", 7, 2, 3},
        {"DIV", uint32_t(-7), 2, uint32_t(-3)},
        {"DIV", 7, uint32_t(-2), uint32_t(-3)},
        {"MOD", 7, 2, 1},
        {"MOD", uint32_t(-7), 2, uint32_t(-1)},
        {"MOD", 7, uint32_t(-2), 1},
        {"DIV", kMin, 1, kMin},
        {"SHL", 1, 32, 1},
        {"SHL", 1, 33, 2},
        {"SHL", 1, uint32_t(-1), kMin},
        {"SHR", uint32_t(-8), 1, uint32_t(-4)},
        {"SHR", kMin, 31, T},
        {"SHR", 0x40000000, 30, 1},
        {"EQ", 5, 5, T},
        {"EQ", 5, 6, 0},
        {"NE", 5, 6, T},
        {"NE", 5, 5, 0},
        {"LT", uint32_t(-1), 0, T},
        {"GT", kMin, 1, 0},
        {"LE", 3, 3, T},
        {"LE", 4, 3, 0},
        {"GE", 3, 3, T},
        {"GE", uint32_t(-4), 3, 0},
        {"GT", 4, 3, T},
        {"LT", 3, 3, 0},
        // Every ordering compares signed, on both sides of zero.
        {"LT", 0, uint32_t(-1), 0},
        {"LE", uint32_t(-1), 0, T},
        {"LE", 0, uint32_t(-1), 0},
        {"GE", 0, uint32_t(-1), T},
        {"GT", 0, uint32_t(-1), T},
        {"GT", uint32_t(-1), 0, 0},
        {"LAND", 2, 4, T},
        {"LAND", 2, 0, 0},
        {"LOR", 0, 0, 0},
        {"LOR", 0, 0x100, T},
    };
    for (const BinaryCase& c : cases) {
        EXPECT_EQ(binary(c.op, c.a, c.b), c.result)
            << c.op << " " << int32_t(c.a) << ", " << int32_t(c.b);
    }
}

struct ImmediateCase {
    const char* op;
    uint32_t a;
    uint16_t imm;
    uint32_t result;
};

TEST(Immediate, RightOperandIsTheSignExtendedWord) {
    const ImmediateCase cases[] = {
        {"ADDI", 10, 0xFFFF, 9},
        {"SUBI", 10, 0xFFFF, 11},
        {"MULI", 3, 0xFFFE, uint32_t(-6)},
        {"DIVI", 100, 0xFFF6, uint32_t(-10)},
        {"MODI", uint32_t(-7), 2, uint32_t(-1)},
        {"SHLI", 1, 0xFFFF, kMin},
        {"SHRI", kMin, 0xFFFF, T},
        {"EQI", T, 0xFFFF, T},
        {"EQI", 65535, 0xFFFF, 0},
        {"NEI", 1, 1, 0},
        {"GTI", 0, 0xFFFF, T},
        {"LTI", 0, 0xFFFF, 0},
        {"GEI", 5, 5, T},
        {"LEI", 6, 5, 0},
    };
    for (const ImmediateCase& c : cases) {
        EXPECT_EQ(immediate(c.op, c.a, c.imm), c.result) << c.op << " " << int32_t(c.a);
    }
}

// The two groups of ordering comparisons stand in different orders; each immediate form must
// agree with its stack form.
TEST(Immediate, OrderingComparisonsMatchTheirStackForms) {
    const std::pair<const char*, const char*> pairs[] = {
        {"LTI", "LT"}, {"GTI", "GT"}, {"LEI", "LE"}, {"GEI", "GE"}, {"EQI", "EQ"}, {"NEI", "NE"}};
    for (auto [imm, stack] : pairs) {
        for (int a = -2; a <= 2; ++a) {
            EXPECT_EQ(immediate(imm, uint32_t(a), 0), binary(stack, uint32_t(a), 0))
                << imm << " " << a;
        }
    }
}

TEST(Unary, NegNotLnot) {
    const std::tuple<const char*, uint32_t, uint32_t> cases[] = {
        {"NEG", 1, T},
        {"NEG", kMin, kMin},
        {"NEG", 0, 0},
        {"NOT", 0, T},
        {"NOT", 0x0F0F0F0F, 0xF0F0F0F0},
        {"LNOT", 5, 0},
        {"LNOT", 0, T},
    };
    for (auto [op, in, out] : cases) {
        Program p(Code{}.op("PUSH_D").u32(in).op(op).op("EXIT"));
        p.run();
        EXPECT_EQ(p.top(), out) << op << " " << in;
        EXPECT_EQ(p.m.osp, 4);
    }
}

struct IncCase {
    const char* op;
    uint32_t typedAddr;
    std::vector<uint8_t> before;
    uint32_t pushed;
    std::vector<uint8_t> after;
};

TEST(IncDec, PushTheWidenedValueAndStoreTheNarrowedOne) {
    const IncCase cases[] = {
        {"PREINC", 0x00012000, {0xFF}, 256, {0x00}},
        {"PREINC", 0x00022000, {0xFF, 0x7F}, 32768, {0x00, 0x80}},
        {"POSTDEC", 0x00022000, {0x00, 0x80}, 0xFFFF8000, {0xFF, 0x7F}},
        {"POSTINC", 0x00042000, {0xFF, 0xFF, 0xFF, 0xFF}, T, {0, 0, 0, 0}},
        {"PREDEC", 0x00012000, {0x00}, T, {0xFF}},
        {"PREDEC", 0x00002000, {5, 0, 0, 0}, 4, {4, 0, 0, 0}},  // tag 0 is long
        // frame-relative long: fp 0x3000 + 8
        {"PREINC", 0x00840008, {0x01, 0x02, 0x00, 0x00}, 0x0202, {0x02, 0x02, 0x00, 0x00}},
    };
    for (const IncCase& c : cases) {
        Program p(Code{}.op("PUSH_D").u32(c.typedAddr).op(c.op).op("EXIT"));
        p.m.fp = 0x3000;
        const uint16_t at = (c.typedAddr & 0x00800000) ? 0x3008 : 0x2000;
        for (size_t i = 0; i < c.before.size(); ++i) p.m.mem[at + i] = c.before[i];
        p.m.mem[at + c.before.size()] = 0xEE;
        p.run();
        EXPECT_EQ(p.top(), c.pushed) << c.op << " " << std::hex << c.typedAddr;
        for (size_t i = 0; i < c.after.size(); ++i) {
            EXPECT_EQ(p.m.mem[at + i], c.after[i]) << c.op << " byte " << i;
        }
        EXPECT_EQ(p.m.mem[at + c.before.size()], 0xEE) << c.op << " wrote too far";
        // regB is left holding the resolved address alone.
        EXPECT_EQ(p.m.regB, at) << c.op;
    }
}

TEST(Division, ZeroDivisorAndOverflowEndTheProgramWithAReason) {
    struct FaultCase {
        Code code;
        const char* reason;
    };
    const FaultCase cases[] = {
        {Code{}.op("PUSH_B").u8(1).op("PUSH_B").u8(0).op("DIV"), "DIV at 0x000014 divides by zero"},
        {Code{}.op("PUSH_B").u8(1).op("PUSH_B").u8(0).op("MOD"), "MOD at 0x000014 divides by zero"},
        {Code{}.op("PUSH_B").u8(1).op("DIVI").u16(0), "DIVI at 0x000012 divides by zero"},
        {Code{}.op("PUSH_B").u8(1).op("MODI").u16(0), "MODI at 0x000012 divides by zero"},
        {Code{}.op("PUSH_D").u32(kMin).op("PUSH_D").u32(T).op("DIV"),
         "DIV at 0x00001A divides -2147483648 by -1"},
        {Code{}.op("PUSH_D").u32(kMin).op("MODI").u16(0xFFFF),
         "MODI at 0x000015 divides -2147483648 by -1"},
    };
    for (const FaultCase& c : cases) {
        Code code = c.code;
        code.op("PUSH_B").u8(99).op("EXIT");
        Program p(code);
        const RunResult r = p.run();
        EXPECT_EQ(r.stop, RunStop::Ended) << c.reason;
        EXPECT_TRUE(p.m.faulted) << c.reason;
        EXPECT_FALSE(p.m.programLoaded);
        EXPECT_STREQ(p.m.faultReason, c.reason);
        EXPECT_NE(p.top(), 99u) << "nothing runs after the fault";
    }
}

}  // namespace
}  // namespace corvane::test
