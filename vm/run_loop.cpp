// The batch run: the run loop's handler table over its register view, fused runs, and the
// threaded loop that executes decoded code until the budget is spent or the machine stops.

#include <array>
#include <cstring>
#include <utility>

#include "vm/cached_run.h"
#include "vm/decoded_code.h"
#include "vm/entry_checks.h"
#include "vm/fused.h"
#include "vm/handler_table.h"
#include "vm/interpreter.h"
#include "vm/jump_table.h"
#include "vm/machine.h"
#include "vm/run_state.h"

namespace corvane {
namespace {

// The table the run loop executes on its register view.
constexpr std::array<HandlerOf<RunState>, 256> kRunHandlers = handlerTable<RunState>();

// Whether an instruction may be held in a fused run: those that run on the register view (the
// Machine-only ones can stop the machine).
#define CORVANE_ON_VIEW_Any true
#define CORVANE_ON_VIEW_Machine false
template <uint8_t Op>
constexpr bool onView() {
#define INSTRUCTION(number, mnemonic, operands, state, handler) \
    if constexpr (Op == number) return CORVANE_ON_VIEW_##state;
#include "vm/opcode_list.inc"
    return false;
}
#undef CORVANE_ON_VIEW_Machine
#undef CORVANE_ON_VIEW_Any

template <size_t K, size_t... I>
constexpr bool fusedOnView(std::index_sequence<I...>) {
    return (onView<kFusedRuns[K].ops[I]>() && ...);
}
template <size_t... K>
constexpr bool allFusedOnView(std::index_sequence<K...>) {
    return (fusedOnView<K>(std::make_index_sequence<kFusedRuns[K].count>{}) && ...);
}
static_assert(allFusedOnView(std::make_index_sequence<kFusedRunCount>{}),
              "a fused run holds an instruction that runs on the Machine alone");

// One instruction of a fused run on the view that holds the ring's slots, its handler called
// directly so that the compiler inlines it before it looks at the view's fields (through a
// pointer the view would stay in memory). ENTER moves arguments out of the ring by address: it
// runs on the run loop's view between a finish and a load.
#define CORVANE_CACHED_Any(h) h<CachedRun>(c);
#define CORVANE_CACHED_Machine(h)
template <uint8_t Op>
CORVANE_INLINE void runCached(RunState& s, CachedRun& c) {
    if constexpr (Op == op::ENTER) {
        c.finish(s);
        ++s.pc;
        op_ENTER(s);
        c.load(s);
    } else {
        ++c.pc;
#define INSTRUCTION(number, mnemonic, operands, state, handler) \
    if constexpr (Op == number) {                               \
        CORVANE_CACHED_##state(handler)                         \
    }
#include "vm/opcode_list.inc"
    }
}
#undef CORVANE_CACHED_Machine
#undef CORVANE_CACHED_Any

// The fixed bytes of instruction Op and of fused run K (opcodes and operands).
template <uint8_t Op>
constexpr uint32_t fixedBytes() {
#define INSTRUCTION(number, mnemonic, operands, state, handler) \
    if constexpr (Op == number) return 1 + uint32_t(operandBytes(Operands::operands));
#include "vm/opcode_list.inc"
    return 1;
}
template <size_t K, size_t... I>
constexpr uint32_t fusedBytes(std::index_sequence<I...>) {
    return (fixedBytes<kFusedRuns[K].ops[I]>() + ...);
}

// A fused run's bytes, for a run that can loop on itself copied out of the image once when
// execution enters the run, for all the passes it makes (see codeAtPc in vm/fetch.h); any other
// run reads them in the image, where a copy would only cost. The run was checked to lie inside
// the image when it was decoded.
template <size_t K, bool Copied = kFusedRuns[K].endsInJump()>
struct FusedCode {
    CORVANE_INLINE explicit FusedCode(const uint8_t* at) : at(at) {}
    CORVANE_INLINE const uint8_t* data() const { return at; }
    const uint8_t* at;
};
template <size_t K>
struct FusedCode<K, true> {
    CORVANE_INLINE explicit FusedCode(const uint8_t* at) {
        std::memcpy(bytes.data(), at, bytes.size());
    }
    CORVANE_INLINE const uint8_t* data() const { return bytes.data(); }
    std::array<uint8_t, fusedBytes<K>(std::make_index_sequence<kFusedRuns[K].count>{})> bytes;
};

// A fused run: each instruction through its own handler, called through a constant so that the
// compiler inlines it, on the view that holds the ring's slots in registers and reads its
// operands from the run's copy of its bytes. The run's opcodes were checked when it was decoded.
// Every level is forced inline: one fused run left out of line takes the view's address, and
// then no register of it stays in a processor register anywhere in the batch.
template <size_t K, size_t... I>
CORVANE_INLINE void runFusedOps(RunState& s, const uint8_t* code, std::index_sequence<I...>) {
    constexpr FusedRun run = kFusedRuns[K];
    CachedRun c(s, code);
    (runCached<run.ops[I]>(s, c), ...);
    c.finish(s);
}

template <size_t K>
CORVANE_INLINE void runFused(RunState& s, const FusedCode<K>& code) {
    runFusedOps<K>(s, code.data(), std::make_index_sequence<kFusedRuns[K].count>{});
}

static_assert(kFusedRunCount <= kFusedLabels, "every fused run needs a label in executeBatch");

// Executes instructions until the budget is spent, an instruction stops the run, or execution
// leaves the image; returns the updated count. Every code offset is decoded the first time
// execution reaches it: one instruction, a fused run (taken only while the budget left covers it
// whole, else its first instruction runs alone), or an instruction that does not fit in the
// image (which faults, as does a pc outside it).
uint64_t executeBatch(Machine& m, uint64_t executed, uint64_t budget) {
    RunState s(m);
    const uint8_t* const code = m.image.get();
    const uint32_t imageSize = m.imageSize;
    uint16_t* const kinds = m.decoded.kinds.get();
#if defined(__GNUC__) && !defined(CORVANE_PORTABLE_DISPATCH)
    // Threaded dispatch through the labels of vm/jump_table.h.
    static void* const kPlain[256] = {CORVANE_PLAIN_LABELS};
    static void* const kTargets[kKindFirstFused + kFusedLabels] = {
        &&undecoded, &&outside, CORVANE_PLAIN_LABELS CORVANE_FUSED_LABELS};
    static_assert(kKindFirstPlain == 2 && kKindFirstFused == 258, "kinds as laid out above");

    CORVANE_DISPATCH();
undecoded:
    kinds[s.pc] = decodeAt(code, imageSize, s.pc);
    CORVANE_GOTO_KIND();
    CORVANE_PLAIN_BODIES;
    CORVANE_FUSED_BODIES;
#else
    // Portable dispatch: one switch over the kinds, with a case of its own for every opcode and
    // every fused run, so that each handler and run is inlined as in the threaded loop.
    while (executed < budget) {
        if (s.pc >= imageSize) [[unlikely]]
            goto outside;
        uint16_t kind = kinds[s.pc];
        if (kind == kKindUndecoded) [[unlikely]]
            kind = kinds[s.pc] = decodeAt(code, imageSize, s.pc);
    dispatch:
        switch (kind) {
            CORVANE_SWITCH_PLAIN_CASES
            CORVANE_SWITCH_FUSED_CASES
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
    return executed;
done:
    s.store();
    return executed;
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
