#pragma once
// The handler tables of the interpreter.

#include <array>
#include <cstdint>

namespace corvane {

struct Machine;

using Handler = void (*)(Machine&);

// Base instructions 0x00-0x53, and system calls 0x80-0xD1 (indexed by opcode - 0x80).
extern const std::array<Handler, 0x54> kBaseHandlers;
extern const std::array<Handler, 0x52> kSystemCallHandlers;

// Both tables laid out over all 256 opcode values, invalid opcodes included, so that the run
// loop dispatches with one indexed call and can never index past a table.
extern const std::array<Handler, 256> kOpcodeHandlers;

}  // namespace corvane
