#pragma once
// Walking strings and byte ranges in VmMemory for the system calls. Every address is taken
// modulo 65,536, so a walk that runs past 0xFFFF continues at 0x0000. No walk reads more than
// 65,536 bytes: a string with no 0 byte anywhere in memory ends there as if it had met its
// terminator, and formatted output stops there. That keeps every system call finite, so one
// instruction can never freeze the machine.

#include <cstdint>

#include "vm/machine.h"

namespace corvane {

// Longest string, and most output bytes, that any one call handles.
constexpr uint32_t kWalkLimit = 0x10000;

// The low 16 bits of a pointer argument: its VM address.
inline uint16_t vmAddress(uint32_t value) {
    return uint16_t(value);
}

// Bytes before the terminator of the string at `addr`, at most kWalkLimit.
inline uint32_t stringLength(const Machine& m, uint32_t addr) {
    uint32_t n = 0;
    while (n < kWalkLimit && m.read8(addr + n) != 0) ++n;
    return n;
}

}  // namespace corvane
