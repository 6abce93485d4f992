#pragma once
// Machine code as a list of instructions with symbolic labels: the code generator appends, the
// peephole pass rewrites, and `encode` resolves the labels into an image.

#include <cstdint>
#include <vector>

namespace corvane::cc {

namespace op {
enum : uint8_t {
    PUSH_B = 0x01,
    PUSH_W = 0x02,
    PUSH_D = 0x03,
    LDG_C = 0x04,
    LDG_I = 0x05,
    LDG_L = 0x06,
    LDGX_C = 0x07,
    LDGX_I = 0x08,
    LDGX_L = 0x09,
    REFGX_C = 0x0A,
    REFGX_I = 0x0B,
    REFGX_L = 0x0C,
    LDL_C = 0x0E,
    LDL_I = 0x0F,
    LDL_L = 0x10,
    LDLX_C = 0x11,
    LDLX_I = 0x12,
    LDLX_L = 0x13,
    ADDRL = 0x19,
    NEG = 0x1C,
    PREINC = 0x1D,
    PREDEC = 0x1E,
    POSTINC = 0x1F,
    POSTDEC = 0x20,
    ADD = 0x21,
    SUB = 0x22,
    AND = 0x23,
    OR = 0x24,
    NOT = 0x25,
    XOR = 0x26,
    LNOT = 0x29,
    MUL = 0x2A,
    DIV = 0x2B,
    MOD = 0x2C,
    SHL = 0x2D,
    SHR = 0x2E,
    EQ = 0x2F,
    NE = 0x30,
    LE = 0x31,
    GE = 0x32,
    GT = 0x33,
    LT = 0x34,
    ASSIGN = 0x35,
    POP_COND = 0x38,
    JZ = 0x39,
    JNZ = 0x3A,
    JMP = 0x3B,
    SETSP = 0x3C,
    CALL = 0x3D,
    ENTER = 0x3E,
    RET = 0x3F,
    EXIT = 0x40,
    INITDATA = 0x41,
    ADDI = 0x45,
    SUBI = 0x46,
    MULI = 0x47,
    DIVI = 0x48,
    MODI = 0x49,
    SHLI = 0x4A,
    SHRI = 0x4B,
    EQI = 0x4C,
    NEI = 0x4D,
    GTI = 0x4E,
    LTI = 0x4F,
    GEI = 0x50,
    LEI = 0x51,
    LINE = 0x52,
    FUNC = 0x53,
    LABEL = 0xFF,  // pseudo-instruction: defines label `imm`
};
}  // namespace op

struct Ins {
    uint8_t op = 0;
    int32_t imm = 0;            // immediate, address or offset; the label of a jump or LABEL
    int32_t imm2 = 0;           // ENTER: argument count
    std::vector<uint8_t> data;  // INITDATA bytes
};

class Emitter {
  public:
    int newLabel() { return labels_++; }
    void label(int l) { code.push_back({op::LABEL, l, 0, {}}); }
    void emit(uint8_t o, int32_t imm = 0, int32_t imm2 = 0) { code.push_back({o, imm, imm2, {}}); }
    void push(int64_t v);  // the shortest push of a constant
    // Rewrites cheap patterns: constant operands into immediate forms, jumps over jumps.
    void peephole();
    // The image: header and code; code addresses start at 16.
    std::vector<uint8_t> encode() const;
    // The code address of each instruction of `code` (of a label: the address it defines).
    std::vector<uint32_t> addresses() const;
    std::vector<Ins> code;

  private:
    int labels_ = 0;
};

}  // namespace corvane::cc
