// The machine reset run after every load and by the host's reset command. It touches only the
// state listed here; fp, sp, cond, regA, regB, the argument cursor, the screens, StringArea,
// OperandRing, memory outside DataArea, the drawing state and the debugger link keep their values.

#include <algorithm>

#include "vm/host.h"
#include "vm/image.h"
#include "vm/machine.h"

namespace corvane {
namespace {

// Seed used when there is no host clock to draw one from; odd, like every seed.
constexpr uint32_t kSeedWithoutClock = 0x2545F491;

uint8_t reverseBits(uint32_t b) {
    uint8_t r = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (b & (1u << bit)) r |= uint8_t(0x80u >> bit);
    }
    return r;
}

}  // namespace

void resetMachine(Machine& m) {
    m.pc = kImageHeaderSize;
    m.decoded.invalidate();  // the image may be another one than at the last run
    std::fill_n(&m.mem[kDataArea], kDataAreaSize, uint8_t(0));
    m.hostKeys.fill(0);

    m.osp = 0;
    m.strPtr = kStringArea;
    m.strKey = 0;
    m.delayCounter = 0;
    m.keyRegister = 0;
    m.waitForKey = 0;

    std::fill_n(&m.mem[kTextBuffer], kTextBufferSize, uint8_t(0));
    m.console = ConsoleState{};  // large-font console, 20 x 5, cursor home, no skipped rows

    m.randomSeed = (m.host != nullptr ? uint32_t(m.host->nowNs()) : kSeedWithoutClock) | 1u;

    // The streams stay open here: the end of the program closes them.
    for (FileSlot& slot : m.files) slot.inUse = false;

    for (uint32_t i = 0; i < 256; ++i) m.bitReverse[i] = reverseBits(i);

    m.currentDir = m.rootDir;

    // A new run starts without the previous run's fault and with nothing asking run to stop.
    m.faulted = false;
    m.faultReason[0] = '\0';
    m.stopRun = false;
}

}  // namespace corvane
