#pragma once
// Operand reads from the code stream at pc, and the address forms built from them. The interpreter
// checks that an instruction's opcode and fixed operand bytes lie inside the loaded image before
// it runs the handler, so these reads need no bounds test of their own. Instructions with a
// variable-length tail (PUSH_STR, INITDATA) check that tail themselves.

#include <cstdint>
#include <cstring>

#include "vm/machine.h"
#include "vm/vm_access.h"

namespace corvane {

// The code bytes at pc. A state that runs one fused run holds its own copy of the run's bytes
// (`runCode`, taken at `runStart`): the image never changes while a program is loaded, and the
// copy is a local that no store into VmMemory can reach, so the compiler reads each operand
// once for every pass a run makes over itself instead of once a pass.
template <typename M>
CORVANE_INLINE const uint8_t* codeAtPc(const M& m) {
    if constexpr (requires { m.runCode; }) {
        return &m.runCode[m.pc - m.runStart];
    } else {
        return &m.image[m.pc];
    }
}

template <typename M>
CORVANE_INLINE uint32_t fetchByte(M& m) {
    const uint32_t v = *codeAtPc(m);
    ++m.pc;
    return v;
}

template <typename M>
CORVANE_INLINE uint32_t fetchWord(M& m) {
    const uint8_t* p = codeAtPc(m);
    m.pc += 2;
    return p[0] | (uint32_t(p[1]) << 8);
}

// Also used for the 24-bit line and function identifiers. One 32-bit load, the byte after the
// operand dropped: the image buffer and a fused run's copy of its bytes hold one byte past the
// last operand (kImageReadSlack).
template <typename M>
CORVANE_INLINE uint32_t fetchCodeAddress(M& m) {
    const uint8_t* p = codeAtPc(m);
    m.pc += 3;
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v & 0xFFFFFF;
}

template <typename M>
CORVANE_INLINE uint32_t fetchLong(M& m) {
    const uint8_t* p = codeAtPc(m);
    m.pc += 4;
    return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// s16 operand, sign-extended into regB (the right operand of the immediate operators).
template <typename M>
CORVANE_INLINE void fetchSignedWordIntoB(M& m) {
    m.regB = uint32_t(int32_t(int16_t(fetchWord(m))));
}

template <typename M>
CORVANE_INLINE uint32_t globalAddress(M& m) {
    return fetchWord(m);
}

template <typename M>
CORVANE_INLINE uint32_t localAddress(M& m) {
    return (m.fp + fetchWord(m)) & 0xFFFF;
}

// The index is popped after the immediate was read; only its low 16 bits count.
template <typename M>
CORVANE_INLINE uint32_t indexedAddress(M& m) {
    const uint32_t base = fetchWord(m);
    return (base + m.pop()) & 0xFFFF;
}

template <typename M>
CORVANE_INLINE uint32_t indexedLocalAddress(M& m) {
    const uint32_t base = m.fp + fetchWord(m);
    return (base + m.pop()) & 0xFFFF;
}

}  // namespace corvane
