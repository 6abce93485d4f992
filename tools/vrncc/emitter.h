#pragma once
// Machine code as a list of instructions with symbolic labels: the code generator appends, the
// peephole pass rewrites, and `encode` resolves the labels into an image.

#include <cstdint>
#include <vector>

#include "vm/opcodes.h"

namespace corvane::cc {

// The machine's opcodes (vm/opcodes.h), and the emitter's own pseudo-instruction.
namespace op {
using namespace corvane::op;
inline constexpr uint8_t LABEL = 0xFF;  // defines label `imm`; 0xFF is no opcode of the machine
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
    // The image: header and code; code addresses start right after the header.
    std::vector<uint8_t> encode() const;
    // The code address of each instruction of `code` (of a label: the address it defines).
    std::vector<uint32_t> addresses() const;
    std::vector<Ins> code;

  private:
    int labels_ = 0;
};

}  // namespace corvane::cc
