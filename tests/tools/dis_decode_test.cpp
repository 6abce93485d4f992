// Decoding single instructions: operands by form, strings under a key, data, and bytes that
// are no instruction. The runner's trace prints these lines.

#include <gtest/gtest.h>

#include "shared/disasm/disassembler.h"
#include "tests/tools/asm_helpers.h"

namespace corvane::test {
namespace {

struct DecodeCase {
    Bytes code;  // placed at address 16
    uint8_t key;
    const char* line;  // formatInstruction's output
    uint32_t length;
};

class Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, FormatsTheInstruction) {
    const DecodeCase& c = GetParam();
    Bytes image = {'V', 'R', 'N', 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    image.insert(image.end(), c.code.begin(), c.code.end());
    DecodedInstruction d = decodeInstruction(image.data(), image.size(), 16, c.key);
    EXPECT_EQ(formatInstruction(d), c.line);
    EXPECT_EQ(d.length, c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Decode,
    ::testing::Values(
        DecodeCase{{0x00}, 0, "000010  NOP", 1}, DecodeCase{{0x44}, 0, "000010  NOP2", 1},
        DecodeCase{{0x8D}, 0, "000010  exit", 1}, DecodeCase{{0xCE}, 0, "000010  ReservedCE", 1},
        DecodeCase{{0x01, 0xFF}, 0, "000010  PUSH_B 255", 2},
        DecodeCase{{0x02, 0xFF, 0xFF}, 0, "000010  PUSH_W -1", 3},
        DecodeCase{{0x4C, 0x00, 0x80}, 0, "000010  EQI -32768", 3},
        DecodeCase{{0x03, 0x78, 0x56, 0x34, 0x12}, 0, "000010  PUSH_D 0x12345678", 5},
        DecodeCase{{0x03, 0x05, 0, 0, 0}, 0, "000010  PUSH_D 5", 5},
        DecodeCase{{0x04, 0x01, 0x20}, 0, "000010  LDG_C 0x2001", 3},
        DecodeCase{{0x10, 0x09, 0x00}, 0, "000010  LDL_L 9", 3},
        DecodeCase{{0x3C, 0x00, 0x30}, 0, "000010  SETSP 0x3000", 3},
        DecodeCase{{0x3D, 0x20, 0x01, 0x00}, 0, "000010  CALL 0x000120", 4},
        DecodeCase{{0x52, 0x07, 0x00, 0x01}, 0, "000010  LINE 65543", 4},
        DecodeCase{{0x3E, 0x15, 0x00, 0x02}, 0, "000010  ENTER 21, 2", 4},
        DecodeCase{{0x43, 0x5A}, 0, "000010  STRKEY 0x5A", 2},
        DecodeCase{{0x0D, 'h', 'i', '\n', 0}, 0, "000010  PUSH_STR \"hi\\n\"", 5},
        DecodeCase{{0x0D, 'h' ^ 0x5A, 0xD6 ^ 0x5A, 0xD0 ^ 0x5A, 0x5A},
                   0x5A,
                   "000010  PUSH_STR \"h中\"",
                   5},
        // Under key 0x20 the byte 0x00 decodes to a space, not to the end.
        DecodeCase{{0x0D, 0x00, 0x01, 0x20}, 0x20, "000010  PUSH_STR \" !\"", 4},
        DecodeCase{
            {0x41, 0x00, 0x20, 0x02, 0x00, 7, 8}, 0, "000010  INITDATA 0x2000, 2 bytes", 7}));

INSTANTIATE_TEST_SUITE_P(
    NotInstructions, Decode,
    ::testing::Values(
        DecodeCase{{0x54}, 0, "000010  .byte 0x54", 1},
        DecodeCase{{0x7F, 0x00}, 0, "000010  .byte 0x7F", 1},
        DecodeCase{{0xD2}, 0, "000010  .byte 0xD2", 1},
        DecodeCase{{0xFF}, 0, "000010  .byte 0xFF", 1},
        // Cut off by the end of the image: the rest of the image, not an instruction.
        DecodeCase{{0x03, 1, 2}, 0, "000010  .byte 0x03  ; cut off by the end of the image", 3},
        DecodeCase{{0x0D, 'a', 'b'}, 0, "000010  .byte 0x0D  ; cut off by the end of the image", 3},
        DecodeCase{{0x41, 0, 0x20, 9, 0, 1},
                   0,
                   "000010  .byte 0x41  ; cut off by the end of the image",
                   6}));

TEST(Decode, PastTheEndIsOneInvalidByte) {
    Bytes image = assembleOrThrow("NOP");
    DecodedInstruction d = decodeInstruction(image.data(), image.size(), 40, 0);
    EXPECT_FALSE(d.valid);
    EXPECT_EQ(d.length, 1u);
}

TEST(Decode, TraceLineUsesTheKeyInForce) {
    Bytes image = assembleOrThrow("STRKEY 9\nPUSH_STR \"key\"");
    EXPECT_EQ(traceInstruction(image.data(), image.size(), 18, 9), "000012  PUSH_STR \"key\"");
}

}  // namespace
}  // namespace corvane::test
