#pragma once
// Handlers of the system calls, one per opcode, declared from the opcode list. They live in
// display/ and library/; the handler tables reach them through the same list.

namespace corvane {

struct Machine;

#define SYSTEM_CALL(number, name, handler, arguments, result) void handler(Machine& m);
#include "vm/opcode_list.inc"

}  // namespace corvane
