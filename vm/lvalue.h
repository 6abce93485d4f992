#pragma once
// Typed memory access through a typed address (vm/typed_address.h). Used by ASSIGN and by the
// increment and decrement instructions.

#include <cstdint>

#include "vm/machine.h"
#include "vm/typed_address.h"
#include "vm/vm_access.h"

namespace corvane {

CORVANE_INLINE uint32_t widthTag(uint32_t typedAddr) {
    return (typedAddr >> 16) & 0x7F;
}

template <typename M>
CORVANE_INLINE uint32_t resolveAddress(const M& m, uint32_t typedAddr) {
    uint32_t addr = typedAddr & 0xFFFF;
    if (typedAddr & kFrameRelative) addr = (addr + m.fp) & 0xFFFF;
    return addr;
}

// Loads with the tag's width: char zero-extended, int sign-extended, long whole.
template <typename M>
CORVANE_INLINE uint32_t loadTyped(const M& m, uint32_t addr, uint32_t tag) {
    if (tag == 1) return m.read8(addr);
    if (tag == 2) return uint32_t(int32_t(int16_t(m.read16(addr))));
    return m.read32(addr);
}

template <typename M>
CORVANE_INLINE void storeTyped(M& m, uint32_t addr, uint32_t tag, uint32_t value) {
    if (tag == 1) {
        m.write8(addr, value);
    } else if (tag == 2) {
        m.write16(addr, value);
    } else {
        m.write32(addr, value);
    }
}

// Load through regB: regA := the value; regB := the resolved address with its tag.
template <typename M>
CORVANE_INLINE void loadThroughB(M& m) {
    const uint32_t tag = widthTag(m.regB);
    const uint32_t addr = resolveAddress(m, m.regB);
    m.regA = loadTyped(m, addr, tag);
    m.regB = addr | (tag << 16);
}

// Store through regB (as left by loadThroughB): regA is written; regB keeps only the address.
template <typename M>
CORVANE_INLINE void storeThroughB(M& m) {
    const uint32_t addr = m.regB & 0xFFFF;
    storeTyped(m, addr, widthTag(m.regB), m.regA);
    m.regB = addr;
}

}  // namespace corvane
