#pragma once
// The handler tables of the interpreter, built from the opcode list (vm/opcode_list.inc).

#include <array>
#include <cstddef>
#include <cstdint>

#include "vm/opcodes.h"

namespace corvane {

struct Machine;

using Handler = void (*)(Machine&);

// Every opcode value's handler, invalid opcodes included, so that the run loop dispatches with
// one indexed call and can never index past a table.
extern const std::array<Handler, 256> kOpcodeHandlers;

// The system calls' part of it, indexed by opcode - kFirstSystemCall.
constexpr size_t kSystemCallCount = kLastSystemCall - kFirstSystemCall + 1;
extern const std::array<Handler, kSystemCallCount> kSystemCallHandlers;

}  // namespace corvane
