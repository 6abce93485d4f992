#pragma once
// The view a fused run executes on: the run loop's registers (vm/run_state.h) copied in, and
// the operand ring's slots that the run pushes and pops held in processor registers instead of
// the ring. Each instruction still runs through its own handler; what the run pushes and pops
// is known when it is compiled, so the compiler keeps every slot in a register, and at the end
// of the run only the slots the run wrote are stored into the ring, with the values the single
// steps would have left there. Which slots are held and which still have to be stored is known
// at each point of the run when it is compiled, so all of this bookkeeping folds away.
//
// VmMemory stays exact for everything that reads or writes it: a load that overlaps the ring
// first stores the slots not stored yet; a store that overlaps it does the same and then takes
// every held slot back from the ring. ENTER, which moves arguments out of the ring by address,
// runs on the run loop's view between a finish and a load.
//
// A run that loops in place (vm/in_place_loop.h) makes its first pass with those checks, noting
// whether any access came near the ring or the end of VmMemory (RingCheck::Probe). When none
// did, every later pass touches the same places, so its passes run without the checks
// (RingCheck::None) and hold the ring's slots across passes, stored once when the loop ends.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "vm/fused.h"
#include "vm/in_place_loop.h"
#include "vm/machine.h"
#include "vm/memory_map.h"
#include "vm/run_state.h"
#include "vm/vm_access.h"

namespace corvane {

// Slot numbers of the cache: the run starts at kCachedBase, and every fused run is checked when
// compiled to stay inside the cache (fitsCachedSlots below).
constexpr int kCachedBase = 16;
constexpr int kCachedSlots = 32;

namespace detail {

// How far the slots an instruction pops and pushes reach below and above the depth it starts
// at. ENTER runs on the run loop's view and the run's cache starts afresh after it.
struct SlotReach {
    bool known = false;
    int pops = 0;
    int pushes = 0;
    bool restarts = false;
};

constexpr SlotReach slotReach(uint8_t o) {
    using namespace op;
    switch (o) {
        case ENTER:
            return {true, 0, 0, true};
        case CALL:
        case RET:
            return {true, 0, 0, false};
        case LDGX_C:
        case LDGX_I:
        case LDGX_L:
        case REFGX_C:
        case REFGX_I:
        case REFGX_L:
            return {true, 1, 1, false};
        default: {
            const LoopOp e = loopOp(o);
            return {e.allowed, e.pops, e.pushes, false};
        }
    }
}

}  // namespace detail

// Whether every slot fused run `run` pops or pushes lies inside the cache.
constexpr bool fitsCachedSlots(const FusedRun& run) {
    int depth = 0;
    for (int i = 0; i < run.count; ++i) {
        const detail::SlotReach r = detail::slotReach(run.ops[i]);
        if (!r.known) return false;
        if (r.restarts) {
            depth = 0;
            continue;
        }
        depth -= r.pops;
        if (kCachedBase + depth < 0) return false;
        depth += r.pushes;
        if (kCachedBase + depth > kCachedSlots) return false;
    }
    return true;
}

template <size_t... K>
constexpr bool allFitCachedSlots(std::index_sequence<K...>) {
    return (fitsCachedSlots(kFusedRuns[K]) && ...);
}
static_assert(allFitCachedSlots(std::make_index_sequence<kFusedRunCount>{}),
              "a fused run reaches past the cached slots, or holds an instruction whose reach "
              "slotReach does not know");

// How a cached view guards VmMemory accesses against the held slots: at every access (any run),
// the same and noting whether an access came near the ring or the end of VmMemory (the first
// pass of a loop in place), or not at all (the later passes, once the first was clear of both).
enum class RingCheck { PerAccess, Probe, None };

template <RingCheck Check>
struct CachedRunOf {
    // `code`: the run's bytes, copied from the image at s.pc (see codeAtPc in vm/fetch.h).
    CORVANE_INLINE CachedRunOf(RunState& s, const uint8_t* code)
        : mem(s.mem),
          image(s.image),
          runCode(code),
          runStart(s.pc),
          debug(s.debug),
          lastReturn(s.lastReturn) {
        load(s);
    }
    CachedRunOf(const CachedRunOf&) = delete;
    CachedRunOf& operator=(const CachedRunOf&) = delete;

    // For the passes of a loop in place: the `Slots` slots above the start are held from the
    // start, as the previous pass left them (each pass writes them before it reads them), so
    // that the marks are the same at the start of every pass and fold away.
    template <int Slots>
    CORVANE_INLINE void holdAcrossPasses() {
        static_assert(Check == RingCheck::None, "only passes that cannot reach the ring");
        holdSlots(std::make_index_sequence<Slots>{});
    }

    // After a probing pass: whether no access came near the ring or the end of VmMemory.
    CORVANE_INLINE bool clearOfRing() const { return clear; }

    // Stores the slots the run wrote and gives the registers back.
    CORVANE_INLINE void finish(RunState& s) {
        storeHeld();
        s.pc = pc;
        s.osp = top();
        s.fp = fp;
        s.sp = sp;
        s.regA = regA;
        s.regB = regB;
        s.cond = cond;
    }

    // --- the operand stack, held ---
    CORVANE_INLINE void push(uint32_t v) {
        setSlot(depth, v, kAllSlots);
        held |= bit(depth);
        unstored |= bit(depth);
        ++depth;
    }
    CORVANE_INLINE uint32_t pop() {
        --depth;
        if (held & bit(depth)) return getSlot(depth, kAllSlots);
        return ringSlot(depth);
    }
    CORVANE_INLINE void popA() { regA = pop(); }
    CORVANE_INLINE void popB() { regB = pop(); }
    CORVANE_INLINE void popOperands() {
        regB = pop();
        regA = pop();
    }

    // Takes the registers from the run loop's view, holding no slot: at the start of the run,
    // and after an instruction that ran on the view itself.
    CORVANE_INLINE void load(const RunState& s) {
        pc = s.pc;
        osp = s.osp;
        fp = s.fp;
        sp = s.sp;
        regA = s.regA;
        regB = s.regB;
        cond = s.cond;
        depth = kCachedBase;
        held = 0;
        unstored = 0;
    }
    // --- VmMemory ---
    CORVANE_INLINE uint8_t read8(uint32_t addr) const {
        beforeRead(addr, 1);
        return mem[addr & 0xFFFF];
    }
    CORVANE_INLINE uint32_t read16(uint32_t addr) const {
        beforeRead(addr, 2);
        if constexpr (Check == RingCheck::None) {
            uint16_t v;
            std::memcpy(&v, &mem[addr & 0xFFFF], 2);
            return v;
        } else {
            return access().read16(addr);
        }
    }
    CORVANE_INLINE uint32_t read32(uint32_t addr) const {
        beforeRead(addr, 4);
        if constexpr (Check == RingCheck::None) {
            uint32_t v;
            std::memcpy(&v, &mem[addr & 0xFFFF], 4);
            return v;
        } else {
            return access().read32(addr);
        }
    }
    CORVANE_INLINE void write8(uint32_t addr, uint32_t v) { write<1>(addr, v); }
    CORVANE_INLINE void write16(uint32_t addr, uint32_t v) { write<2>(addr, v); }
    CORVANE_INLINE void write32(uint32_t addr, uint32_t v) { write<4>(addr, v); }

    uint8_t* const mem;
    const uint8_t* const image;
    const uint8_t* const runCode;
    const uint32_t runStart;
    DebugState& debug;
    LastReturn& lastReturn;

    uint32_t pc = 0;
    uint8_t osp = 0;  // the ring's top where the held slots begin
    uint16_t fp = 0;
    uint16_t sp = 0;
    uint32_t regA = 0;
    uint32_t regB = 0;
    uint32_t cond = 0;

  private:
    // Plain VmMemory access on the same bytes, for the accessors' wrapping rules.
    struct Plain : VmAccess<Plain> {
        uint8_t* mem;
    };
    CORVANE_INLINE Plain access() const { return Plain{{}, mem}; }

    CORVANE_INLINE static uint32_t bit(int d) { return uint32_t(1) << d; }
    CORVANE_INLINE uint8_t ringIndex(int d) const { return uint8_t(osp + 4 * (d - kCachedBase)); }
    CORVANE_INLINE uint32_t ringSlot(int d) const {
        uint32_t v;
        std::memcpy(&v, &mem[size_t{kOperandRing} + ringIndex(d)], 4);
        return v;
    }
    CORVANE_INLINE uint8_t top() const { return ringIndex(depth); }

    // A slot at ring index 253-255 reaches past the ring's last byte, as a push there does.
    CORVANE_INLINE static bool overlapsRing(uint32_t addr, uint32_t width) {
        addr &= 0xFFFF;
        return addr + width > kOperandRing && addr < kOperandRing + kOperandRingSize + 3;
    }
    // Also a place that wraps past 0xFFFF: the unchecked passes copy values whole.
    CORVANE_INLINE static bool nearRingOrEnd(uint32_t addr, uint32_t width) {
        return overlapsRing(addr, width) || (addr & 0xFFFF) + width > kVmMemorySize;
    }
    CORVANE_INLINE void probe(uint32_t addr, uint32_t width) const {
        if constexpr (Check == RingCheck::Probe) clear = clear && !nearRingOrEnd(addr, width);
    }
    CORVANE_INLINE void beforeRead(uint32_t addr, uint32_t width) const {
        if constexpr (Check != RingCheck::None) {
            probe(addr, width);
            if (unstored && overlapsRing(addr, width)) [[unlikely]]
                storeHeld();
        }
    }
    template <uint32_t Width>
    CORVANE_INLINE void write(uint32_t addr, uint32_t v) {
        if constexpr (Check == RingCheck::None) {
            std::memcpy(&mem[addr & 0xFFFF], &v, Width);
        } else {
            probe(addr, Width);
            if (held && overlapsRing(addr, Width)) [[unlikely]] {
                storeHeld();
                writePlain<Width>(addr, v);
                reloadHeld();
                return;
            }
            writePlain<Width>(addr, v);
        }
    }
    template <uint32_t Width>
    CORVANE_INLINE void writePlain(uint32_t addr, uint32_t v) {
        if constexpr (Width == 1) {
            mem[addr & 0xFFFF] = uint8_t(v);
        } else if constexpr (Width == 2) {
            access().write16(addr, v);
        } else {
            access().write32(addr, v);
        }
    }
    // The slots are distinct ring slots (a run holds far fewer than the ring's 64), so the order
    // of the stores does not matter. The marks stay: storing them again at the end is harmless,
    // and marks that only change on a rare path would no longer be known when compiled. Written
    // as folds, not loops, so that every slot number is a constant from the start.
    CORVANE_INLINE void storeHeld() const { storeSlots(kAllSlots); }
    CORVANE_INLINE void reloadHeld() { reloadSlots(kAllSlots); }

    // The cache is only ever indexed with constants (a chain of tests on a slot number that is
    // itself known once compiled), never with a variable: that keeps every slot a scalar the
    // compiler can hold in a register, however large the function the run is part of.
    static constexpr auto kAllSlots = std::make_index_sequence<kCachedSlots>{};
    template <size_t... D>
    CORVANE_INLINE uint32_t getSlot(int d, std::index_sequence<D...>) const {
        uint32_t v = 0;
        ((d == int(D) ? void(v = cache[D]) : void()), ...);
        return v;
    }
    template <size_t... D>
    CORVANE_INLINE void setSlot(int d, uint32_t v, std::index_sequence<D...>) {
        ((d == int(D) ? void(cache[D] = v) : void()), ...);
    }
    template <size_t... D>
    CORVANE_INLINE void storeSlots(std::index_sequence<D...>) const {
        ((unstored & bit(D) ? std::memcpy(&mem[size_t{kOperandRing} + ringIndex(D)], &cache[D], 4)
                            : nullptr),
         ...);
    }
    template <size_t... D>
    CORVANE_INLINE void holdSlots(std::index_sequence<D...>) {
        ((cache[kCachedBase + D] = 0, held |= bit(kCachedBase + D)), ...);
        unstored = held;
    }
    template <size_t... D>
    CORVANE_INLINE void reloadSlots(std::index_sequence<D...>) {
        ((held & bit(D) ? void(cache[D] = ringSlot(D)) : void()), ...);
    }

    int depth = kCachedBase;
    uint32_t held = 0;             // slots whose value is in `cache`
    uint32_t unstored = 0;         // held slots the run has pushed: the ring must get them
    uint32_t cache[kCachedSlots];  // read only where `held` says; a plain array: no call to inline
    mutable bool clear = true;     // RingCheck::Probe: no access came near the ring or the end
};

using CachedRun = CachedRunOf<RingCheck::PerAccess>;

}  // namespace corvane
