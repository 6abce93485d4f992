#pragma once
// The opcode list laid out as one table of handlers over all 256 opcode values, for the state
// the handlers run on: the Machine (`step`, and the tables dispatch.h declares) or the run
// loop's register view (`run`). Internal to the interpreter.

#include <array>

#include "vm/machine.h"
#include "vm/ops.h"
#include "vm/run_state.h"
#include "vm/syscalls.h"

namespace corvane {

template <typename M>
using HandlerOf = void (*)(M&);

// The entry of a handler, by the state column of the list: Any handlers are templates over the
// state, Machine handlers run on the Machine alone (in a table over the view, between a store and
// a load of its registers).
#define CORVANE_HANDLER_Any(h) h<M>
#define CORVANE_HANDLER_Machine(h) machineOnly<M, h>()

// Every listed opcode at its number; every other slot ends the program as an invalid opcode, so
// a dispatch through the table can never leave it.
template <typename M>
constexpr std::array<HandlerOf<M>, 256> handlerTable() {
    std::array<HandlerOf<M>, 256> table{};
    table.fill(machineOnly<M, op_invalid>());
#define INSTRUCTION(number, mnemonic, operands, state, handler) \
    table[number] = CORVANE_HANDLER_##state(handler);
#define SYSTEM_CALL(number, name, handler, arguments, result) \
    table[number] = machineOnly<M, handler>();
#include "vm/opcode_list.inc"
    return table;
}

#undef CORVANE_HANDLER_Machine
#undef CORVANE_HANDLER_Any

}  // namespace corvane
