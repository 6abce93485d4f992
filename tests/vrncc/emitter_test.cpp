// The instruction list: the shortest constant pushes, the peephole rewrites and the encoding of
// labels into code addresses.

#include <gtest/gtest.h>

#include "tools/vrncc/emitter.h"
#include "tools/vrncc/parser.h"

namespace corvane::cc {
namespace {

TEST(VrnccEmitter, PushesConstantsInTheirShortestForm) {
    const struct {
        long value;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {0, {op::PUSH_B, 0}},
        {255, {op::PUSH_B, 0xFF}},
        {256, {op::PUSH_W, 0x00, 0x01}},
        {-1, {op::PUSH_W, 0xFF, 0xFF}},
        {-32768, {op::PUSH_W, 0x00, 0x80}},
        {32768, {op::PUSH_D, 0x00, 0x80, 0x00, 0x00}},
        {0xFFFFFFFFL, {op::PUSH_W, 0xFF, 0xFF}},
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
        long in;
        Type* type;
        long out;
    } cases[] = {
        {0x1FF, t.charT, 0xFF},       {0x80, t.scharT, -128},
        {0x18000, t.intT, -32768},    {-1, t.uintT, 65535},
        {0x12345, t.ushortT, 0x2345}, {-1, t.ulongT, 0xFFFFFFFFL},
        {0xFFFFFFFFL, t.longT, -1},   {70000, t.pointerTo(t.intT), 70000 - 65536},
    };
    for (const auto& c : cases) EXPECT_EQ(normalize(c.in, c.type), c.out) << typeText(c.type);
    EXPECT_EQ(commonType(t, t.uintT, t.longT), t.longT);
    EXPECT_EQ(commonType(t, t.ushortT, t.intT), t.uintT);
    EXPECT_EQ(commonType(t, t.charT, t.scharT), t.intT);
    EXPECT_EQ(commonType(t, t.ulongT, t.longT), t.ulongT);
}

}  // namespace
}  // namespace corvane::cc
