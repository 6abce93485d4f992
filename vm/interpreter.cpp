// The step and the batch run of the interpreter.

#include "vm/interpreter.h"

#include "vm/dispatch.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane {
namespace {

// The longest fixed part of any instruction: opcode and four operand bytes (PUSH_D, INITDATA).
constexpr uint32_t kLongestFixedInstruction = 5;

// Checks that the opcode at pc and its fixed operand bytes lie inside the loaded image; if not,
// the program ends with a fault and false is returned.
bool instructionInImage(Machine& m) {
    if (m.pc >= m.imageSize) {
        fault(m, "pc outside the program image at 0x%06X", m.pc);
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
bool deliverKey(Machine& m) {
    if ((m.keyRegister & 0x80) == 0) return false;
    m.waitForKey = 0;
    m.keyRegister &= 0x7F;
    m.regA = m.keyRegister;
    m.push(m.regA);
    return true;
}

// Why the machine cannot execute now, if it cannot. A waiting machine with a key pending takes
// the key here and may go on.
bool blocked(Machine& m, RunStop& why) {
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

}  // namespace

void step(Machine& m) {
    if (m.waitForKey) {
        deliverKey(m);
        return;
    }
    if (!instructionInImage(m)) return;
    const uint8_t opcode = m.image[m.pc++];
    kOpcodeHandlers[opcode](m);
}

// The inner loop tests only the budget and stopRun; the handlers that can make the machine stop
// (end, fault, debugger stop, Delay, getchar, GetWord) set stopRun, and only then are the flags
// looked at. The image bound is tested per instruction only near the end of the image.
RunResult run(Machine& m, uint64_t budget) {
    RunResult result;
    for (;;) {
        if (blocked(m, result.stop)) return result;
        if (result.executed >= budget) {
            result.stop = RunStop::Budget;
            return result;
        }
        m.stopRun = false;
        const uint8_t* const code = m.image.get();
        const uint32_t imageSize = m.imageSize;
        // Below fastEnd a whole fixed-length instruction fits in the image.
        const uint32_t fastEnd =
            imageSize >= kLongestFixedInstruction ? imageSize - kLongestFixedInstruction + 1 : 0;
        uint64_t executed = result.executed;
        while (executed < budget) {
            const uint32_t pc = m.pc;
            if (pc >= fastEnd) [[unlikely]] {
                if (!instructionInImage(m)) break;
            }
            m.pc = pc + 1;
            kOpcodeHandlers[code[pc]](m);
            ++executed;
            if (m.stopRun) [[unlikely]]
                break;
        }
        result.executed = executed;
    }
}

}  // namespace corvane
