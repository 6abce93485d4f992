#pragma once
// Constants, loads, addresses and the store instruction. Defined inline so that the run loop in
// run_loop.cpp compiles each of them into its own case; the handler tables take their addresses.

#include <cstdint>

#include "vm/fetch.h"
#include "vm/lvalue.h"
#include "vm/machine.h"
#include "vm/typed_address.h"
#include "vm/vm_access.h"

namespace corvane {

template <typename M>
CORVANE_INLINE void pushChar(M& m, uint32_t addr) {
    m.regA = m.read8(addr);
    m.push(m.regA);
}
template <typename M>
CORVANE_INLINE void pushInt(M& m, uint32_t addr) {
    m.regA = uint32_t(int32_t(int16_t(m.read16(addr))));
    m.push(m.regA);
}
template <typename M>
CORVANE_INLINE void pushLong(M& m, uint32_t addr) {
    m.regA = m.read32(addr);
    m.push(m.regA);
}

template <typename M>
CORVANE_INLINE void op_NOP(M&) {}

template <typename M>
CORVANE_INLINE void op_PUSH_B(M& m) {
    m.push(fetchByte(m));
}
template <typename M>
CORVANE_INLINE void op_PUSH_W(M& m) {
    m.push(uint32_t(int32_t(int16_t(fetchWord(m)))));
}
template <typename M>
CORVANE_INLINE void op_PUSH_D(M& m) {
    m.push(fetchLong(m));
}
template <typename M>
CORVANE_INLINE void op_PUSH_TEXTBUF(M& m) {
    m.push(kTextBuffer);
}
template <typename M>
CORVANE_INLINE void op_PUSH_SCREEN(M& m) {
    m.push(kLcdScreen);
}
template <typename M>
CORVANE_INLINE void op_PUSH_GBUF(M& m) {
    m.push(kGraphicsBuffer);
}

template <typename M>
CORVANE_INLINE void op_LDG_C(M& m) {
    pushChar(m, globalAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDG_I(M& m) {
    pushInt(m, globalAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDG_L(M& m) {
    pushLong(m, globalAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDL_C(M& m) {
    pushChar(m, localAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDL_I(M& m) {
    pushInt(m, localAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDL_L(M& m) {
    pushLong(m, localAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDGX_C(M& m) {
    pushChar(m, indexedAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDGX_I(M& m) {
    pushInt(m, indexedAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDGX_L(M& m) {
    pushLong(m, indexedAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDLX_C(M& m) {
    pushChar(m, indexedLocalAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDLX_I(M& m) {
    pushInt(m, indexedLocalAddress(m));
}
template <typename M>
CORVANE_INLINE void op_LDLX_L(M& m) {
    pushLong(m, indexedLocalAddress(m));
}

template <typename M>
CORVANE_INLINE void op_LDP_C(M& m) {
    m.popA();
    pushChar(m, m.regA & 0xFFFF);
}

template <typename M>
CORVANE_INLINE void op_REFGX_C(M& m) {
    m.push(indexedAddress(m) + kCharTag);
}
template <typename M>
CORVANE_INLINE void op_REFGX_I(M& m) {
    m.push(indexedAddress(m) + kIntTag);
}
template <typename M>
CORVANE_INLINE void op_REFGX_L(M& m) {
    m.push(indexedAddress(m) + kLongTag);
}
template <typename M>
CORVANE_INLINE void op_REFLX_C(M& m) {
    m.push(indexedLocalAddress(m) + kCharTag);
}
template <typename M>
CORVANE_INLINE void op_REFLX_I(M& m) {
    m.push(indexedLocalAddress(m) + kIntTag);
}
template <typename M>
CORVANE_INLINE void op_REFLX_L(M& m) {
    m.push(indexedLocalAddress(m) + kLongTag);
}
template <typename M>
CORVANE_INLINE void op_ADDRGX(M& m) {
    m.push(indexedAddress(m));
}
template <typename M>
CORVANE_INLINE void op_ADDRLX(M& m) {
    m.push(indexedLocalAddress(m));
}
template <typename M>
CORVANE_INLINE void op_ADDRL(M& m) {
    m.push(localAddress(m));
}

template <typename M>
CORVANE_INLINE void op_REFP_C(M& m) {
    m.popA();
    m.push((m.regA & 0xFFFF) + kCharTag);
}

template <typename M>
CORVANE_INLINE void op_STRKEY(M& m) {
    m.strKey = uint8_t(fetchByte(m));
}

// Copies an inline string constant into StringArea and pushes its address (ops_load_store.cpp).
void op_PUSH_STR(Machine& m);

// The stored value is pushed whole, not truncated to the lvalue's width.
template <typename M>
CORVANE_INLINE void op_ASSIGN(M& m) {
    m.popOperands();
    storeTyped(m, resolveAddress(m, m.regA), widthTag(m.regA), m.regB);
    m.regA = m.regB;
    m.push(m.regA);
}

}  // namespace corvane
