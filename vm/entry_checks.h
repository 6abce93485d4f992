#pragma once
// What both ways of executing (`step` and the run loop) check before an instruction runs.
// Internal to the interpreter.

#include <cstdint>

#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane {

// Checks that the opcode at pc and its fixed operand bytes lie inside the program's code (after
// the header, within the loaded image); if not, the program ends with a fault and false is
// returned.
inline bool instructionInImage(Machine& m) {
    if (m.pc < kImageHeaderSize || m.pc >= m.imageSize) {
        // No instruction runs between a RET and the fetch at the address it returned to.
        const LastReturn& r = m.lastReturn;
        if (r.at != 0 && r.to == m.pc) {
            fault(m, "RET at 0x%06X returned to 0x%06X, outside the program", r.at, r.to);
        } else {
            fault(m, "pc outside the program image at 0x%06X", m.pc);
        }
        return false;
    }
    const uint8_t opcode = m.image[m.pc];
    const uint32_t length = 1 + operandBytes(opInfo(opcode).operands);
    if (m.pc + length > m.imageSize) {
        fault(m, "instruction 0x%02X at 0x%06X runs past the end of the program image",
              unsigned(opcode), m.pc);
        return false;
    }
    return true;
}

// A machine waiting in getchar/GetWord takes a pending key: the code (bit 7 cleared) is pushed
// as the call's result. Returns false while no key is there.
inline bool deliverKey(Machine& m) {
    if ((m.keyRegister & 0x80) == 0) return false;
    m.waitForKey = 0;
    m.keyRegister &= 0x7F;
    m.regA = m.keyRegister;
    m.push(m.regA);
    return true;
}

// Why the machine cannot execute now, if it cannot. A waiting machine with a key pending takes
// the key here and may go on.
inline bool blocked(Machine& m, RunStop& why) {
    if (!m.programLoaded) {
        why = RunStop::Ended;
    } else if (m.paused) {
        why = RunStop::Paused;
    } else if (m.delayCounter != 0) {
        why = RunStop::Delay;
    } else if (m.waitForKey && !deliverKey(m)) {
        why = RunStop::WaitKey;
    } else {
        return false;
    }
    return true;
}

}  // namespace corvane
