#pragma once
// VmMemory accessors and the operand-stack primitives, shared by the Machine and by the register
// view the run loop executes on (vm/run_state.h). Both hold `mem` (VmMemory, indexable) and
// `osp`; every address wraps at 64 KiB and multi-byte values are little-endian (the host is
// little-endian too, so an access that does not wrap is one plain copy).

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vm/memory_map.h"

// Handlers and the helpers they are made of are forced inline: the run loop composes them into
// fused runs and its cases, which grow past the compiler's own inlining limits.
// A piece of the run loop kept out of it (entered rarely, looping long) is kept out of line.
#if defined(__GNUC__)
#define CORVANE_INLINE [[gnu::always_inline]] inline
#define CORVANE_NOINLINE [[gnu::noinline]]
#else
#define CORVANE_INLINE inline
#define CORVANE_NOINLINE
#endif

namespace corvane {

static_assert(std::endian::native == std::endian::little,
              "VmMemory accessors copy little-endian values as they are");

template <typename Derived>
struct VmAccess {
    CORVANE_INLINE uint8_t read8(uint32_t addr) const { return bytes()[addr & 0xFFFF]; }
    CORVANE_INLINE uint32_t read16(uint32_t addr) const {
        addr &= 0xFFFF;
        if (addr < 0xFFFF) [[likely]] {
            uint16_t v;
            std::memcpy(&v, &bytes()[addr], 2);
            return v;
        }
        return bytes()[0xFFFF] | (uint32_t(bytes()[0]) << 8);
    }
    CORVANE_INLINE uint32_t read32(uint32_t addr) const {
        addr &= 0xFFFF;
        if (addr < 0xFFFD) [[likely]] {
            uint32_t v;
            std::memcpy(&v, &bytes()[addr], 4);
            return v;
        }
        return read16(addr) | (read16(addr + 2) << 16);
    }
    CORVANE_INLINE void write8(uint32_t addr, uint32_t v) { bytes()[addr & 0xFFFF] = uint8_t(v); }
    CORVANE_INLINE void write16(uint32_t addr, uint32_t v) {
        addr &= 0xFFFF;
        if (addr < 0xFFFF) [[likely]] {
            const uint16_t w = uint16_t(v);
            std::memcpy(&bytes()[addr], &w, 2);
            return;
        }
        write8(addr, v);
        write8(addr + 1, v >> 8);
    }
    CORVANE_INLINE void write32(uint32_t addr, uint32_t v) {
        addr &= 0xFFFF;
        if (addr < 0xFFFD) [[likely]] {
            std::memcpy(&bytes()[addr], &v, 4);
            return;
        }
        write16(addr, v);
        write16(addr + 2, v >> 16);
    }

    // --- operand stack: a ring of 64 four-byte slots in OperandRing ---
    // Indexed in size_t, so that the ring's place folds into the address of the load or store.
    CORVANE_INLINE uint32_t slot(uint8_t index) const {
        uint32_t v;
        std::memcpy(&v, &bytes()[size_t{kOperandRing} + index], 4);
        return v;
    }
    CORVANE_INLINE void push(uint32_t v) {
        std::memcpy(&bytes()[size_t{kOperandRing} + self().osp], &v, 4);
        self().osp = uint8_t(self().osp + 4);
    }
    CORVANE_INLINE uint32_t pop() {
        self().osp = uint8_t(self().osp - 4);
        return slot(self().osp);
    }
    CORVANE_INLINE void popA() { self().regA = pop(); }
    CORVANE_INLINE void popB() { self().regB = pop(); }
    // Pops the right operand into regB, then the left one into regA.
    CORVANE_INLINE void popOperands() {
        self().regB = pop();
        self().regA = pop();
    }

  private:
    Derived& self() { return static_cast<Derived&>(*this); }
    const Derived& self() const { return static_cast<const Derived&>(*this); }
    uint8_t* bytes() { return &self().mem[0]; }
    const uint8_t* bytes() const { return &self().mem[0]; }
};

}  // namespace corvane
