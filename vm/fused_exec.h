#pragma once
// Executing one fused run (vm/fused.h) where the run loop meets it: its bytes, its instructions
// on the view that holds the ring's slots in registers (vm/cached_run.h), a run that goes back
// to its own start run again at once, and a run that loops in place (vm/in_place_loop.h) run out
// of line without the ring checks once its first pass showed they cannot matter. Internal to
// the run loop (run_loop.cpp), which includes it once; the threaded and the portable dispatch
// both enter a run through runFusedAt.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "vm/cached_run.h"
#include "vm/fused.h"
#include "vm/in_place_loop.h"
#include "vm/machine.h"
#include "vm/ops.h"
#include "vm/run_state.h"

namespace corvane::fused_exec {

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
#define CORVANE_CACHED_Any(h) h<C>(c);
#define CORVANE_CACHED_Machine(h)
template <uint8_t Op, typename C>
CORVANE_INLINE void runCached(RunState& s, C& c) {
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

// One instruction of a fused run straight on the run loop's view (operands read in the image,
// the ring written at every push): for runs that build or leave frames, where holding the slots
// would cost more than it saves (ENTER needs them in the ring, CALL and RET write and read the
// frame).
#define CORVANE_DIRECT_Any(h) h<RunState>(s);
#define CORVANE_DIRECT_Machine(h)
template <uint8_t Op>
CORVANE_INLINE void runDirect(RunState& s) {
    ++s.pc;
#define INSTRUCTION(number, mnemonic, operands, state, handler) \
    if constexpr (Op == number) {                               \
        CORVANE_DIRECT_##state(handler)                         \
    }
#include "vm/opcode_list.inc"
}
#undef CORVANE_DIRECT_Machine
#undef CORVANE_DIRECT_Any

// Whether fused run K builds or leaves a frame.
template <size_t K>
constexpr bool changesFrames() {
    for (int i = 0; i < kFusedRuns[K].count; ++i) {
        const uint8_t o = kFusedRuns[K].ops[i];
        if (o == op::CALL || o == op::ENTER || o == op::RET) return true;
    }
    return false;
}

template <size_t K, size_t... I>
CORVANE_INLINE void runFusedDirect(RunState& s, std::index_sequence<I...>) {
    static_assert(!kFusedRuns[K].exitsEarly(), "a run that builds or leaves a frame exits early");
    (runDirect<kFusedRuns[K].ops[I]>(s), ...);
}

// The fixed bytes of an instruction (opcode and operands) and of fused run K.
constexpr uint32_t fixedLength(uint8_t opcode) {
#define INSTRUCTION(number, mnemonic, operands, state, handler) \
    if (opcode == number) return 1 + uint32_t(operandBytes(Operands::operands));
#include "vm/opcode_list.inc"
    return 1;
}
template <size_t K>
constexpr uint32_t fusedBytes() {
    uint32_t n = 0;
    for (int i = 0; i < kFusedRuns[K].count; ++i) n += fixedLength(kFusedRuns[K].ops[i]);
    return n;
}

// A fused run's bytes, for a run that can loop on itself copied out of the image once when
// execution enters the run, for all the passes it makes (see codeAtPc in vm/fetch.h); any other
// run reads them in the image, where a copy would only cost. The run was checked to lie inside
// the image when it was decoded.
template <size_t K, bool Copied = kFusedRuns[K].endsInJump() && !kFusedRuns[K].exitsEarly()>
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
    std::array<uint8_t, fusedBytes<K>()> bytes;
};

// What one pass of a fused run did: how many of its instructions ran (fewer than all when a
// conditional jump inside it was taken), and, for a probing pass, whether no access came near
// the ring or the end of VmMemory.
struct FusedPass {
    uint32_t ran;
    bool clear;
};

// Instruction I of fused run K on the view; false when it was a conditional jump before the
// run's end and was taken, which ends the pass there.
template <size_t K, size_t I, typename C>
CORVANE_INLINE bool stepInRun(RunState& s, C& c) {
    constexpr uint8_t o = kFusedRuns[K].ops[I];
    runCached<o>(s, c);
    if constexpr (I + 1 < kFusedRuns[K].count && (o == op::JZ || o == op::JNZ)) {
        return (c.cond != 0) != (o == op::JNZ);
    }
    return true;
}

// One pass of fused run K: each instruction through its own handler, called through a constant
// so that the compiler inlines it, on the view that holds the ring's slots in registers and reads
// its operands from the run's copy of its bytes. The run's opcodes were checked when it was
// decoded. Every level is forced inline: one fused run left out of line takes the view's
// address, and then no register of it stays in a processor register anywhere in the batch.
template <size_t K, RingCheck Check, size_t... I>
CORVANE_INLINE FusedPass runFusedOps(RunState& s, const uint8_t* code, std::index_sequence<I...>) {
    constexpr FusedRun run = kFusedRuns[K];
    CachedRunOf<Check> c(s, code);
    (runCached<run.ops[I]>(s, c), ...);
    c.finish(s);
    return {run.count, c.clearOfRing()};
}

// The same for a run that can leave early: the fold stops at the first taken exit, I + 1
// instructions having run up to it. Its exits are where the operand stack is as deep as at each
// other, so the slots it stores at its finish are the same whichever exit it takes.
template <size_t K, size_t... I>
CORVANE_INLINE FusedPass runFusedExits(RunState& s, const uint8_t* code,
                                       std::index_sequence<I...>) {
    CachedRun c(s, code);
    uint32_t ran = kFusedRuns[K].count;
    (void)((stepInRun<K, I>(s, c) || (ran = I + 1, false)) && ...);
    c.finish(s);
    return {ran, false};
}

template <size_t K, RingCheck Check = RingCheck::PerAccess>
CORVANE_INLINE FusedPass runFused(RunState& s, const FusedCode<K>& code) {
    constexpr auto each = std::make_index_sequence<kFusedRuns[K].count>{};
    if constexpr (Check == RingCheck::PerAccess && changesFrames<K>()) {
        runFusedDirect<K>(s, each);
        return {kFusedRuns[K].count, false};
    } else if constexpr (kFusedRuns[K].exitsEarly()) {
        static_assert(Check == RingCheck::PerAccess, "a run that exits early loops in place");
        return runFusedExits<K>(s, code.data(), each);
    } else {
        return runFusedOps<K, Check>(s, code.data(), each);
    }
}

// Where in the bytes of fused run K, a loop in place, the width and frame bit of the typed
// address that its PUSH_D pushes lie (bits 16-23 of the operand); -1 when it has none.
template <size_t K>
constexpr int typedPushByte() {
    constexpr int push = inPlaceLoop(kFusedRuns[K]).typedPush;
    if (push < 0) return -1;
    uint32_t at = 0;
    for (int i = 0; i < push; ++i) at += fixedLength(kFusedRuns[K].ops[i]);
    return int(at) + 3;  // the opcode, then bytes 0 and 1 of the value
}

// The passes of a loop in place after its first: the ring's slots held across passes and stored
// once at the end, VmMemory accessed without the ring and end checks (the first pass found its
// places clear of both, and every pass has the same places). Runs up to `passes` passes (at
// least one) and returns how many ran; it stops after the pass whose jump does not go back.
// `TypedByte` (0-255; -1: not known) is the byte the run's copy holds at typedPushByte: written
// there again as a constant, it makes the typed address's width and frame bit constants of the
// loop, so that ASSIGN or the step stores with one width and no test.
template <size_t K, int TypedByte, size_t... I>
CORVANE_INLINE uint64_t passesInPlaceOps(RunState& s, uint64_t passes, std::index_sequence<I...>) {
    constexpr FusedRun run = kFusedRuns[K];
    const uint32_t start = s.pc;
    FusedCode<K, true> code(s.image + start);
    if constexpr (TypedByte >= 0) code.bytes[typedPushByte<K>()] = uint8_t(TypedByte);
    CachedRunOf<RingCheck::None> c(s, code.data());
    c.holdAcrossPasses<inPlaceLoop(run).depth>();
    uint64_t done = 0;
    do {
        c.pc = start;
        (runCached<run.ops[I]>(s, c), ...);
        ++done;
    } while (c.pc == start && done < passes);
    c.finish(s);
    return done;
}

template <size_t K, int TypedByte>
CORVANE_INLINE uint64_t passesInPlace(RunState& s, uint64_t passes) {
    return passesInPlaceOps<K, TypedByte>(s, passes,
                                          std::make_index_sequence<kFusedRuns[K].count>{});
}

// Out of line: the loop needs no register of the batch, and its entry costs once for all its
// passes. The run's typed address, if it pushes one, is one of those compilers and programs
// use (long, int or char, frame-relative or not) or is taken at every pass.
template <size_t K>
CORVANE_NOINLINE uint64_t loopInPlace(Machine& m, uint64_t passes) {
    RunState s(m);
    uint64_t done;
    constexpr int at = typedPushByte<K>();
    if constexpr (at < 0) {
        done = passesInPlace<K, -1>(s, passes);
    } else {
        switch (s.image[s.pc + at]) {
            case 0x84:
                done = passesInPlace<K, 0x84>(s, passes);
                break;
            case 0x82:
                done = passesInPlace<K, 0x82>(s, passes);
                break;
            case 0x81:
                done = passesInPlace<K, 0x81>(s, passes);
                break;
            case 0x04:
                done = passesInPlace<K, 0x04>(s, passes);
                break;
            case 0x02:
                done = passesInPlace<K, 0x02>(s, passes);
                break;
            case 0x01:
                done = passesInPlace<K, 0x01>(s, passes);
                break;
            default:
                done = passesInPlace<K, -1>(s, passes);
                break;
        }
    }
    s.store();
    return done;
}

// Fused run K at s.pc, when the budget left covers it whole (else false, and nothing ran). A run
// that ends with a jump back to its own start (a whole loop) runs again at once while the budget
// covers it, without the dispatch; a run that loops in place, after a first pass whose places
// were clear of the ring and the end of VmMemory, makes its further passes out of line.
template <size_t K>
CORVANE_INLINE bool runFusedAt(RunState& s, const uint8_t* image, uint64_t& executed,
                               uint64_t budget) {
    constexpr FusedRun run = kFusedRuns[K];
    if (budget - executed < run.count) return false;
    const uint32_t start = s.pc;
    const FusedCode<K> code(image + start);
    if constexpr (inPlaceLoop(run).ok) {
        const bool clear = runFused<K, RingCheck::Probe>(s, code).clear;
        executed += run.count;
        if (clear && s.pc == start && budget - executed >= run.count) {
            s.store();
            executed += run.count * loopInPlace<K>(s.machine, (budget - executed) / run.count);
            s.load();
        }
    } else {
        executed += runFused<K>(s, code).ran;
    }
    while (run.endsInJump() && s.pc == start && budget - executed >= run.count) {
        executed += runFused<K>(s, code).ran;
    }
    return true;
}

}  // namespace corvane::fused_exec
