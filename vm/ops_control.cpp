// Initial data, the end of a program, the line marker's stop and invalid opcodes.

#include "vm/ops_control.h"
#include "vm/host.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {
namespace {

constexpr int32_t kStopEveryLine = -2;

// Whether a line marker with line value `line` stops the machine under the current stop value.
bool stopsAt(const DebugState& d, uint32_t line) {
    if (d.stopValue == kStopEveryLine || d.stopValue == int32_t(line)) return true;
    if (d.stopValue != 0) return false;
    return d.lastStopFunction == 0 || d.lastStopFunction == d.currentFunction;
}

}  // namespace

// EXIT (0x40) and system call exit (0x8D) share this handler.
void sys_exit(Machine& m) {
    endProgram(m);
}

void op_INITDATA(Machine& m) {
    const uint32_t start = m.pc - 1;
    const uint32_t addr = fetchWord(m);
    const uint32_t count = fetchWord(m);
    if (m.pc + count > m.imageSize) {
        fault(m, "INITDATA at 0x%06X runs past the end of the program image", start);
        return;
    }
    const uint8_t* src = &m.image[m.pc];
    for (uint32_t i = 0; i < count; ++i) m.write8(addr + i, src[i]);
    m.pc += count;
}

// A stop pauses the machine before the debugger hears of it, so that a resume request the
// debugger sends while handling the snapshot takes effect.
void op_LINE(Machine& m) {
    const uint32_t line = fetchCodeAddress(m);
    DebugState& d = m.debug;
    if (!stopsAt(d, line)) return;
    d.lastStopFunction = d.currentFunction;
    m.paused = true;
    m.stopRun = true;
    if (m.host != nullptr) {
        const uint32_t dataWord = (d.currentFunction << 16) + m.fp;
        m.host->debugSnapshot(dataWord, &m.mem[kDataArea], kDataAreaSize);
        m.host->debugStopNotice(line);
    }
}

void returnOutsideProgram(Machine& m, uint32_t at, uint32_t target) {
    fault(m, "RET at 0x%06X returned to 0x%06X, outside the program", at, target);
}

void op_invalid(Machine& m) {
    const uint32_t at = m.pc - 1;
    fault(m, "invalid opcode 0x%02X at 0x%06X", unsigned(m.image[at]), at);
}

}  // namespace corvane
