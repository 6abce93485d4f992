// The instruction list: the shortest constant pushes, the peephole rewrites and the encoding of
// labels into code addresses.

#include <gtest/gtest.h>

#include "tools/vrncc/emitter.h"
#include "tools/vrncc/parser.h"
#include "tools/vrncc/peephole.h"

namespace corvane::cc {
namespace {

TEST(VrnccEmitter, PushesConstantsInTheirShortestForm) {
    const struct {
        int64_t value;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {0, {op::PUSH_B, 0}},
        {255, {op::PUSH_B, 0xFF}},
        {256, {op::PUSH_W, 0x00, 0x01}},
        {-1, {op::PUSH_W, 0xFF, 0xFF}},
        {-32768, {op::PUSH_W, 0x00, 0x80}},
        {32768, {op::PUSH_D, 0x00, 0x80, 0x00, 0x00}},
        {0xFFFFFFFF, {op::PUSH_W, 0xFF, 0xFF}},
        {-2147483648LL, {op::PUSH_D, 0x00, 0x00, 0x00, 0x80}},
    };
    for (const auto& c : cases) {
        Emitter e;
        e.push(c.value);
        std::vector<uint8_t> img = e.encode();
        EXPECT_EQ(std::vector<uint8_t>(img.begin() + 16, img.end()), c.bytes) << c.value;
    }
}

TEST(VrnccEmitter, PeepholeMakesImmediatesAndKeepsWhatMustRun) {
    Emitter e;
    e.emit(op::LDL_I, 5);
    e.push(3);
    e.emit(op::ADD);  // ADDI 3
    e.push(0);
    e.emit(op::SUB);  // nothing
    e.push(0);
    e.emit(op::DIV);  // stays: the machine reports the division by zero
    e.emit(op::PUSH_D, 0x10000);
    e.emit(op::MUL);  // too large for an immediate
    e.peephole();
    std::vector<uint8_t> img = e.encode();
    const std::vector<uint8_t> want = {op::LDL_I, 5,          0, op::ADDI, 3, 0, op::PUSH_B, 0,
                                       op::DIV,   op::PUSH_D, 0, 0,        1, 0, op::MUL};
    EXPECT_EQ(std::vector<uint8_t>(img.begin() + 16, img.end()), want);
}

TEST(VrnccEmitter, LabelsBecomeCodeAddressesAndJumpsToTheNextLineVanish) {
    Emitter e;
    const int top = e.newLabel(), next = e.newLabel();
    e.label(top);
    e.emit(op::JMP, next);  // to the very next instruction: dropped
    e.label(next);
    e.emit(op::LNOT);
    e.emit(op::POP_COND);
    e.emit(op::JZ, top);  // LNOT folded into the jump: JNZ
    e.peephole();
    std::vector<uint8_t> img = e.encode();
    const std::vector<uint8_t> want = {op::POP_COND, op::JNZ, 16, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(img.begin() + 16, img.end()), want);
    EXPECT_EQ(std::vector<uint8_t>(img.begin(), img.begin() + 4),
              (std::vector<uint8_t>{'V', 'R', 'N', 0x12}));
}

TEST(VrnccTypes, ValuesAreHeldAtTheirTypesWidth) {
    Types t;
    const struct {
        int64_t in;
        Type* type;
        int64_t out;
    } cases[] = {
        {0x1FF, t.charT, 0xFF},       {0x80, t.scharT, -128},
        {0x18000, t.intT, -32768},    {-1, t.uintT, 65535},
        {0x12345, t.ushortT, 0x2345}, {-1, t.ulongT, 0xFFFFFFFF},
        {0xFFFFFFFF, t.longT, -1},    {70000, t.pointerTo(t.intT), 70000 - 65536},
        {0x100000005, t.ulongT, 5},   {-2147483649LL, t.longT, 2147483647},
    };
    for (const auto& c : cases) EXPECT_EQ(normalize(c.in, c.type), c.out) << typeText(c.type);
    EXPECT_EQ(commonType(t, t.uintT, t.longT), t.longT);
    EXPECT_EQ(commonType(t, t.ushortT, t.intT), t.uintT);
    EXPECT_EQ(commonType(t, t.charT, t.scharT), t.intT);
    EXPECT_EQ(commonType(t, t.ulongT, t.longT), t.ulongT);
}

}  // namespace
}  // namespace corvane::cc

namespace corvane::cc {
namespace {

// Cuts to 16 bits and constant bases around indexed accesses: what goes away and what must
// stay because something reads the high bits.
TEST(VrnccPeephole, DropsUnreadCutsAndFoldsBasesIntoIndexedAccesses) {
    using L = std::vector<std::pair<uint8_t, int32_t>>;
    const L sign = {{op::SHLI, 16}, {op::SHRI, 16}};
    auto cat = [](std::initializer_list<L> parts) {
        L all;
        for (const L& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const struct {
        const char* what;
        L in, out;
    } cases[] = {
        {"table[i]: base folded, cut before the index dropped",
         cat({{{op::PUSH_W, 0x2002}, {op::LDL_I, 9}, {op::MULI, 2}},
              sign,
              {{op::ADD, 0}, {op::LDGX_I, 0}}}),
         {{op::LDL_I, 9}, {op::MULI, 2}, {op::LDGX_I, 0x2002}}},
        {"byte array reference",
         {{op::PUSH_W, 0x8100}, {op::LDL_I, 9}, {op::ADD, 0}, {op::REFGX_C, 0}},
         {{op::LDL_I, 9}, {op::REFGX_C, 0x8100}}},
        {"cut followed by arithmetic and another cut",
         cat({{{op::LDL_I, 7},
               {op::PUSH_D, 0xFFFF},
               {op::AND, 0},
               {op::MULI, 31},
               {op::LDL_I, 5},
               {op::LDGX_C, 0},
               {op::ADD, 0},
               {op::PUSH_D, 0xFFFF},
               {op::AND, 0}}}),
         {{op::LDL_I, 7},
          {op::MULI, 31},
          {op::LDL_I, 5},
          {op::LDGX_C, 0},
          {op::ADD, 0},
          {op::PUSH_D, 0xFFFF},
          {op::AND, 0}}},
        {"kept before a comparison", cat({{{op::LDL_I, 5}, {op::ADDI, 1}}, sign, {{op::LTI, 9}}}),
         cat({{{op::LDL_I, 5}, {op::ADDI, 1}}, sign, {{op::LTI, 9}}})},
        {"kept before a return", cat({{{op::LDL_I, 5}}, sign, {{op::RET, 0}}}),
         cat({{{op::LDL_I, 5}}, sign, {{op::RET, 0}}})},
        {"kept before a division whose result is cut",
         cat({{{op::LDL_I, 5}}, sign, {{op::DIVI, 3}}, sign, {{op::LDGX_I, 0}}}),
         cat({{{op::LDL_I, 5}}, sign, {{op::DIVI, 3}, {op::LDGX_I, 0}}})},
        {"a cut to 8 bits is kept before a 16-bit index",
         {{op::LDL_I, 5}, {op::PUSH_B, 0xFF}, {op::AND, 0}, {op::LDGX_C, 0x3000}},
         {{op::LDL_I, 5}, {op::PUSH_B, 0xFF}, {op::AND, 0}, {op::LDGX_C, 0x3000}}},
        {"an index that is not a single value keeps its base",
         {{op::PUSH_W, 0x2002},
          {op::LDL_I, 9},
          {op::LDL_I, 5},
          {op::ADD, 0},
          {op::ADD, 0},
          {op::LDGX_C, 0}},
         {{op::PUSH_W, 0x2002},
          {op::LDL_I, 9},
          {op::LDL_I, 5},
          {op::ADD, 0},
          {op::ADD, 0},
          {op::LDGX_C, 0}}},
    };
    for (const auto& c : cases) {
        std::vector<Ins> code;
        for (auto [o, imm] : c.in) code.push_back({o, imm, 0, {}});
        narrowingAndIndexing(code);
        L got;
        for (const Ins& i : code) got.push_back({i.op, i.imm});
        EXPECT_EQ(got, c.out) << c.what;
    }
}

}  // namespace
}  // namespace corvane::cc
