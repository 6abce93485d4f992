// The batch run: the run loop's handler table over its register view, fused runs, and the
// threaded loop that executes decoded code until the budget is spent or the machine stops.

#include <array>

#include "vm/decoded_code.h"
#include "vm/entry_checks.h"
#include "vm/fused.h"
#include "vm/fused_exec.h"
#include "vm/handler_table.h"
#include "vm/interpreter.h"
#include "vm/jump_table.h"
#include "vm/machine.h"
#include "vm/run_state.h"

namespace corvane {
namespace {

// The table the run loop executes on its register view.
constexpr std::array<HandlerOf<RunState>, 256> kRunHandlers = handlerTable<RunState>();

// One instruction through its handler, called with a constant index so that it is inlined.
// Returns whether the run loop must stop (a handler that ran on the machine asked it to).
template <uint8_t N>
CORVANE_INLINE bool runPlain(RunState& s, uint64_t& left) {
    ++s.pc;
    kRunHandlers[N](s);
    --left;
    return s.stop;
}

static_assert(kFusedRunCount <= kFusedLabels, "every fused run needs a label in executeBatch");

// Executes instructions until the budget is spent, an instruction stops the run, or execution
// leaves the image; returns the updated count. Every code offset is decoded the first time
// execution reaches it: one instruction, a fused run (taken only while the budget left covers it
// whole, else its first instruction runs alone), or an instruction that does not fit in the
// image (which faults, as does a pc outside it).
uint64_t executeBatch(Machine& m, uint64_t executed, uint64_t budget) {
    RunState s(m);
    // One count, of the instructions the budget has left, instead of the count executed and the
    // budget: one register fewer held across the whole batch.
    uint64_t left = budget - executed;
    const uint8_t* const code = m.image.get();
    const uint32_t imageSize = m.imageSize;
    uint16_t* const kinds = m.decoded.kinds.get();
#if defined(__GNUC__) && !defined(CORVANE_PORTABLE_DISPATCH)
    // Threaded dispatch through the labels of vm/jump_table.h.
    static void* const kPlain[256] = {CORVANE_EACH_OPCODE(CORVANE_PLAIN_LABEL)};
    static void* const kTargets[kKindFirstFused + kFusedLabels] = {
        &&undecoded, &&outside,
        CORVANE_EACH_OPCODE(CORVANE_PLAIN_LABEL) CORVANE_EACH_FUSED(CORVANE_FUSED_LABEL)};
    static_assert(kKindFirstPlain == 2 && kKindFirstFused == 258, "kinds as laid out above");

    CORVANE_DISPATCH();
undecoded:
    kinds[s.pc] = decodeAt(code, imageSize, s.pc);
    CORVANE_GOTO_KIND();
    CORVANE_EACH_OPCODE(CORVANE_PLAIN_TARGET)
    CORVANE_EACH_FUSED(CORVANE_FUSED_TARGET)
#else
    // Portable dispatch: one switch over the kinds, with a case of its own for every opcode and
    // every fused run, so that each handler and run is inlined as in the threaded loop.
    while (left != 0) {
        if (s.pc >= imageSize) [[unlikely]]
            goto outside;
        uint16_t kind = kinds[s.pc];
        if (kind == kKindUndecoded) [[unlikely]]
            kind = kinds[s.pc] = decodeAt(code, imageSize, s.pc);
    dispatch:
        switch (kind) {
            CORVANE_EACH_OPCODE(CORVANE_PLAIN_CASE)
            CORVANE_EACH_FUSED(CORVANE_FUSED_CASE)
            default:
                goto outside;
        }
    }
    goto done;
#endif
outside:
    // The instruction at pc is not inside the image: the check faults and ends the program.
    s.store();
    instructionInImage(m);
    return budget - left;
done:
    s.store();
    return budget - left;
}

}  // namespace

// The inner loop tests only the budget and the stop of handlers that ran on the machine; those
// that can make the machine stop (end, fault, debugger stop, Delay, getchar, GetWord) set
// stopRun, and only then are the flags looked at.
RunResult run(Machine& m, uint64_t budget) {
    RunResult result;
    for (;;) {
        if (blocked(m, result.stop)) return result;
        if (result.executed >= budget) {
            result.stop = RunStop::Budget;
            return result;
        }
        m.stopRun = false;
        prepareDecoded(m);
        result.executed = executeBatch(m, result.executed, budget);
    }
}

}  // namespace corvane
