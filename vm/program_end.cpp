// The end of a program: by EXIT, by the host, or by a fault the program cannot survive.

#include <cstdarg>
#include <cstdio>

#include "vm/host.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

namespace corvane {

// Every slot that still holds a stream is closed, also one whose in-use flag a reset already
// cleared: such a stream would otherwise stay open (and its last writes unflushed) for good.
// A stream closed by an earlier end is null and is not closed twice.
void endProgram(Machine& m) {
    for (FileSlot& slot : m.files) closeFileSlot(m, slot);
    m.programLoaded = false;
    m.stopRun = true;
}

void closeFileSlot(Machine& m, FileSlot& slot) {
    if (slot.stream != nullptr) {
        const bool closed = std::fclose(slot.stream) == 0;
        if ((slot.writeFailed || !closed) && m.host != nullptr)
            m.host->streamWriteFailed(slot.path);
        if (m.host != nullptr) m.host->streamClosed();
    }
    slot.stream = nullptr;
    slot.inUse = false;
    slot.writeFailed = false;
    slot.path.clear();
    slot.mode.clear();
}

void fault(Machine& m, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(m.faultReason, sizeof m.faultReason, format, args);
    va_end(args);
    m.faulted = true;
    endProgram(m);
}

void notAvailable(Machine& m, uint8_t opcode) {
    fault(m, "system call 0x%02X not available", unsigned(opcode));
}

}  // namespace corvane
