// The handler tables over the Machine, and the single step that dispatches through them.

#include "vm/dispatch.h"

#include "vm/entry_checks.h"
#include "vm/handler_table.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane {

// Declared extern in dispatch.h, so these constants keep external linkage. Constant-initialised:
// usable before any dynamic initialisation runs.
constexpr std::array<Handler, 256> kOpcodeHandlers = handlerTable<Machine>();

namespace {

constexpr std::array<Handler, kSystemCallCount> systemCallHandlers() {
    std::array<Handler, kSystemCallCount> calls{};
    for (size_t i = 0; i < calls.size(); ++i) calls[i] = kOpcodeHandlers[kFirstSystemCall + i];
    return calls;
}

}  // namespace

constexpr std::array<Handler, kSystemCallCount> kSystemCallHandlers = systemCallHandlers();

void step(Machine& m) {
    if (m.waitForKey) {
        deliverKey(m);
        return;
    }
    if (!instructionInImage(m)) return;
    const uint8_t opcode = m.image[m.pc++];
    kOpcodeHandlers[opcode](m);
}

}  // namespace corvane
