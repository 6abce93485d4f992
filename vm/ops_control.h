#pragma once
// Control flow and function frames, inline for the run loop's cases. INITDATA, the debugger
// markers' stop, EXIT and invalid opcodes are out of line in ops_control.cpp.

#include <cstdint>
#include <cstring>

#include "vm/fetch.h"
#include "vm/machine.h"
#include "vm/vm_access.h"

namespace corvane {

template <typename M>
CORVANE_INLINE void op_POP_COND(M& m) {
    m.popA();
    m.cond = m.regA;
}

template <typename M>
CORVANE_INLINE void op_JZ(M& m) {
    if (m.cond == 0) {
        m.pc = fetchCodeAddress(m);
    } else {
        m.pc += 3;
    }
}

template <typename M>
CORVANE_INLINE void op_JNZ(M& m) {
    if (m.cond != 0) {
        m.pc = fetchCodeAddress(m);
    } else {
        m.pc += 3;
    }
}

template <typename M>
CORVANE_INLINE void op_JMP(M& m) {
    m.pc = fetchCodeAddress(m);
}

template <typename M>
CORVANE_INLINE void op_SETSP(M& m) {
    m.sp = uint16_t(fetchWord(m));
}

// Stores the return address at sp; the callee's ENTER builds the rest of the frame.
template <typename M>
CORVANE_INLINE void op_CALL(M& m) {
    const uint32_t target = fetchCodeAddress(m);
    m.write16(m.sp, m.pc);
    m.write8(m.sp + 2, m.pc >> 16);
    m.pc = target;
}

// Frame: [0..2] return address, [3..4] caller's fp, [5..] the arguments in push order.
// All arguments leave the operand ring at once.
template <typename M>
CORVANE_INLINE void op_ENTER(M& m) {
    m.write16(m.sp + 3, m.fp);
    m.fp = m.sp;
    const uint32_t size = fetchWord(m);
    m.sp = uint16_t(m.fp + size);
    const uint32_t bytes = 4 * fetchByte(m);
    if (bytes == 0) return;
    m.osp = uint8_t(m.osp - bytes);
    const uint32_t to = m.fp + 5u;
    // Whole slots where the arguments' place lies below or above the ring and does not wrap: the
    // same bytes as the byte copy, stored the way the callee's loads will read them back.
    const bool apart = to + bytes <= kOperandRing || to >= kOperandRing + kOperandRingSize;
    if (apart && to + bytes <= kVmMemorySize && (m.osp & 3) == 0) [[likely]] {
        // Checked not to wrap: plain copies, slot by slot (the slots may wrap round the ring).
        for (uint32_t i = 0; i < bytes; i += 4) {
            std::memcpy(&m.mem[to + i], &m.mem[size_t{kOperandRing} + uint8_t(m.osp + i)], 4);
        }
        return;
    }
    // Byte by byte, as a frame laid over the ring itself would see it.
    for (uint32_t i = 0; i < bytes; ++i) {
        m.write8(to + i, m.mem[kOperandRing + uint8_t(m.osp + i)]);
    }
}

// Leaves the operand stack alone: whatever the function left there is its result.
template <typename M>
CORVANE_INLINE void op_RET(M& m) {
    const uint32_t frame = m.fp;
    m.sp = m.fp;
    m.lastReturn.at = m.pc - 1;
    m.pc = m.read16(frame) | (uint32_t(m.read8(frame + 2)) << 16);
    m.lastReturn.to = m.pc;
    m.fp = uint16_t(m.read16(frame + 3));
    DebugState& d = m.debug;
    if (d.functionDepth > 0) d.currentFunction = d.functionStack[--d.functionDepth];
}

// Beyond kFunctionStackSize saved markers the push is dropped; the identifier still changes.
template <typename M>
CORVANE_INLINE void op_FUNC(M& m) {
    const uint32_t function = fetchCodeAddress(m);
    DebugState& d = m.debug;
    if (d.functionDepth < kFunctionStackSize)
        d.functionStack[d.functionDepth++] = d.currentFunction;
    d.currentFunction = function;
}

void op_INITDATA(Machine& m);
void op_LINE(Machine& m);

// Any opcode outside the opcode list: ends the program with a fault.
void op_invalid(Machine& m);

}  // namespace corvane
