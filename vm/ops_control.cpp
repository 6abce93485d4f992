// Control flow, function frames, initial data, the end of a program and the debugger markers.

#include "vm/fetch.h"
#include "vm/host.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/ops.h"
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

void op_POP_COND(Machine& m) {
    m.popA();
    m.cond = m.regA;
}

void op_JZ(Machine& m) {
    if (m.cond == 0) {
        m.pc = fetchCodeAddress(m);
    } else {
        m.pc += 3;
    }
}

void op_JNZ(Machine& m) {
    if (m.cond != 0) {
        m.pc = fetchCodeAddress(m);
    } else {
        m.pc += 3;
    }
}

void op_JMP(Machine& m) {
    m.pc = fetchCodeAddress(m);
}

void op_SETSP(Machine& m) {
    m.sp = uint16_t(fetchWord(m));
}

// Stores the return address at sp; the callee's ENTER builds the rest of the frame.
void op_CALL(Machine& m) {
    const uint32_t target = fetchCodeAddress(m);
    m.write8(m.sp, m.pc);
    m.write8(m.sp + 1, m.pc >> 8);
    m.write8(m.sp + 2, m.pc >> 16);
    m.pc = target;
}

// Frame: [0..2] return address, [3..4] caller's fp, [5..] the arguments in push order.
// All arguments leave the operand ring at once.
void op_ENTER(Machine& m) {
    m.write16(m.sp + 3, m.fp);
    m.fp = m.sp;
    const uint32_t size = fetchWord(m);
    m.sp = uint16_t(m.fp + size);
    const uint32_t bytes = 4 * fetchByte(m);
    if (bytes == 0) return;
    m.osp = uint8_t(m.osp - bytes);
    for (uint32_t i = 0; i < bytes; ++i) {
        m.write8(m.fp + 5 + i, m.mem[kOperandRing + uint8_t(m.osp + i)]);
    }
}

// Leaves the operand stack alone: whatever the function left there is its result.
void op_RET(Machine& m) {
    const uint32_t frame = m.fp;
    m.sp = m.fp;
    m.pc =
        m.read8(frame) | (uint32_t(m.read8(frame + 1)) << 8) | (uint32_t(m.read8(frame + 2)) << 16);
    m.fp = uint16_t(m.read16(frame + 3));
    DebugState& d = m.debug;
    if (d.functionDepth > 0) d.currentFunction = d.functionStack[--d.functionDepth];
}

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

// Beyond kFunctionStackSize saved markers the push is dropped; the identifier still changes.
void op_FUNC(Machine& m) {
    const uint32_t function = fetchCodeAddress(m);
    DebugState& d = m.debug;
    if (d.functionDepth < kFunctionStackSize)
        d.functionStack[d.functionDepth++] = d.currentFunction;
    d.currentFunction = function;
}

void op_invalid(Machine& m) {
    const uint32_t at = m.pc - 1;
    fault(m, "invalid opcode 0x%02X at 0x%06X", m.image[at], at);
}

}  // namespace corvane
