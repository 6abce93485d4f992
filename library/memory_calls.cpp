// The byte-range calls memset, memcpy and memmove. Each takes the low 16 bits of its count
// (0: nothing happens) and computes every address modulo 65,536.

#include <array>

#include "library/memory_walk.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

struct RangeArgs {
    uint16_t dst;
    uint32_t src;  // the value argument of memset
    uint16_t count;
};

// Pops count, then source (or value), then destination.
RangeArgs popRange(Machine& m) {
    RangeArgs a;
    a.count = uint16_t(m.pop());
    a.src = m.pop();
    a.dst = vmAddress(m.pop());
    return a;
}

}  // namespace

// memset(destination, value, count): fills with the value's low 8 bits.
void sys_memset(Machine& m) {
    const RangeArgs a = popRange(m);
    const uint8_t value = uint8_t(a.src);
    for (uint32_t i = 0; i < a.count; ++i) m.write8(a.dst + i, value);
}

// memcpy(destination, source, count): copies upward, four bytes at a time (all four read
// before any is written) and then the remaining 0-3 bytes singly. Overlapping ranges come out
// as that order makes them, which programs that copy within a buffer may rely on.
void sys_memcpy(Machine& m) {
    const RangeArgs a = popRange(m);
    const uint16_t src = vmAddress(a.src);
    uint32_t i = 0;
    for (; i + 4 <= a.count; i += 4) m.write32(a.dst + i, m.read32(src + i));
    for (; i < a.count; ++i) m.write8(a.dst + i, m.read8(src + i));
}

// memmove(destination, source, count): the destination receives the source bytes as they
// were before the call, whatever the overlap (the range may even wrap round onto itself).
void sys_memmove(Machine& m) {
    const RangeArgs a = popRange(m);
    const uint16_t src = vmAddress(a.src);
    std::array<uint8_t, kWalkLimit> copy;
    for (uint32_t i = 0; i < a.count; ++i) copy[i] = m.read8(src + i);
    for (uint32_t i = 0; i < a.count; ++i) m.write8(a.dst + i, copy[i]);
}

}  // namespace corvane
