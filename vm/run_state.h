#pragma once
// The machine as the run loop executes it: the registers the instructions work on are copied
// into this view for the length of a batch, so that the compiler keeps them in processor
// registers (stores into VmMemory cannot change them), while VmMemory, the image and the
// debugger-link state stay the machine's own. The instruction handlers are templates over the
// state they run on and take either a Machine or this view; handlers that are not (system calls,
// the instructions that can stop the machine) run on the Machine between a store and a load.

#include <cstdint>
#include <type_traits>

#include "vm/machine.h"
#include "vm/vm_access.h"

namespace corvane {

struct RunState : VmAccess<RunState> {
    explicit RunState(Machine& machine)
        : machine(machine),
          mem(machine.mem.data()),
          image(machine.image.get()),
          debug(machine.debug) {
        load();
    }
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    // Takes the registers from the machine.
    CORVANE_INLINE void load() {
        pc = machine.pc;
        osp = machine.osp;
        fp = machine.fp;
        sp = machine.sp;
        regA = machine.regA;
        regB = machine.regB;
        cond = machine.cond;
    }
    // Gives them back.
    CORVANE_INLINE void store() const {
        machine.pc = pc;
        machine.osp = osp;
        machine.fp = fp;
        machine.sp = sp;
        machine.regA = regA;
        machine.regB = regB;
        machine.cond = cond;
    }

    Machine& machine;
    uint8_t* const mem;
    const uint8_t* const image;
    DebugState& debug;

    uint32_t pc = 0;
    uint8_t osp = 0;
    uint16_t fp = 0;
    uint16_t sp = 0;
    uint32_t regA = 0;
    uint32_t regB = 0;
    uint32_t cond = 0;
    // Set after a handler that ran on the machine asked the run loop to stop.
    bool stop = false;
};

// A handler of the machine run on the view: registers stored before, loaded after.
template <void (*H)(Machine&)>
CORVANE_INLINE void onMachine(RunState& s) {
    s.store();
    H(s.machine);
    s.load();
    s.stop = s.machine.stopRun;
}

// The entry of a handler written for the Machine only, in a table of handlers over M.
template <typename M, void (*H)(Machine&)>
constexpr void (*machineOnly())(M&) {
    if constexpr (std::is_same_v<M, Machine>) {
        return H;
    } else {
        return &onMachine<H>;
    }
}

}  // namespace corvane
