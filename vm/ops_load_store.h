#pragma once
// Constants, loads, addresses and the store instruction. Defined inline so that the run loop in
// dispatch.cpp compiles each of them into its own case; the handler tables take their addresses.

#include <cstdint>

#include "vm/fetch.h"
#include "vm/lvalue.h"
#include "vm/machine.h"

namespace corvane {

constexpr uint32_t kCharTag = 0x00010000;
constexpr uint32_t kIntTag = 0x00020000;
constexpr uint32_t kLongTag = 0x00040000;
constexpr uint32_t kStringTag = 0x00100000;

inline void pushChar(Machine& m, uint32_t addr) {
    m.regA = m.read8(addr);
    m.push(m.regA);
}
inline void pushInt(Machine& m, uint32_t addr) {
    m.regA = uint32_t(int32_t(int16_t(m.read16(addr))));
    m.push(m.regA);
}
inline void pushLong(Machine& m, uint32_t addr) {
    m.regA = m.read32(addr);
    m.push(m.regA);
}

inline void op_NOP(Machine&) {}

inline void op_PUSH_B(Machine& m) {
    m.push(fetchByte(m));
}
inline void op_PUSH_W(Machine& m) {
    m.push(uint32_t(int32_t(int16_t(fetchWord(m)))));
}
inline void op_PUSH_D(Machine& m) {
    m.push(fetchLong(m));
}
inline void op_PUSH_TEXTBUF(Machine& m) {
    m.push(kTextBuffer);
}
inline void op_PUSH_SCREEN(Machine& m) {
    m.push(kLcdScreen);
}
inline void op_PUSH_GBUF(Machine& m) {
    m.push(kGraphicsBuffer);
}

inline void op_LDG_C(Machine& m) {
    pushChar(m, globalAddress(m));
}
inline void op_LDG_I(Machine& m) {
    pushInt(m, globalAddress(m));
}
inline void op_LDG_L(Machine& m) {
    pushLong(m, globalAddress(m));
}
inline void op_LDL_C(Machine& m) {
    pushChar(m, localAddress(m));
}
inline void op_LDL_I(Machine& m) {
    pushInt(m, localAddress(m));
}
inline void op_LDL_L(Machine& m) {
    pushLong(m, localAddress(m));
}
inline void op_LDGX_C(Machine& m) {
    pushChar(m, indexedAddress(m));
}
inline void op_LDGX_I(Machine& m) {
    pushInt(m, indexedAddress(m));
}
inline void op_LDGX_L(Machine& m) {
    pushLong(m, indexedAddress(m));
}
inline void op_LDLX_C(Machine& m) {
    pushChar(m, indexedLocalAddress(m));
}
inline void op_LDLX_I(Machine& m) {
    pushInt(m, indexedLocalAddress(m));
}
inline void op_LDLX_L(Machine& m) {
    pushLong(m, indexedLocalAddress(m));
}

inline void op_LDP_C(Machine& m) {
    m.popA();
    pushChar(m, m.regA & 0xFFFF);
}

inline void op_REFGX_C(Machine& m) {
    m.push(indexedAddress(m) + kCharTag);
}
inline void op_REFGX_I(Machine& m) {
    m.push(indexedAddress(m) + kIntTag);
}
inline void op_REFGX_L(Machine& m) {
    m.push(indexedAddress(m) + kLongTag);
}
inline void op_REFLX_C(Machine& m) {
    m.push(indexedLocalAddress(m) + kCharTag);
}
inline void op_REFLX_I(Machine& m) {
    m.push(indexedLocalAddress(m) + kIntTag);
}
inline void op_REFLX_L(Machine& m) {
    m.push(indexedLocalAddress(m) + kLongTag);
}
inline void op_ADDRGX(Machine& m) {
    m.push(indexedAddress(m));
}
inline void op_ADDRLX(Machine& m) {
    m.push(indexedLocalAddress(m));
}
inline void op_ADDRL(Machine& m) {
    m.push(localAddress(m));
}

inline void op_REFP_C(Machine& m) {
    m.popA();
    m.push((m.regA & 0xFFFF) + kCharTag);
}

inline void op_STRKEY(Machine& m) {
    m.strKey = uint8_t(fetchByte(m));
}

// Copies an inline string constant into StringArea and pushes its address (ops_load_store.cpp).
void op_PUSH_STR(Machine& m);

// The stored value is pushed whole, not truncated to the lvalue's width.
inline void op_ASSIGN(Machine& m) {
    m.popOperands();
    storeTyped(m, resolveAddress(m, m.regA), widthTag(m.regA), m.regB);
    m.regA = m.regB;
    m.push(m.regA);
}

}  // namespace corvane
