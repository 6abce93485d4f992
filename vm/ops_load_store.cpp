// Constants, loads, addresses, string constants and the store instruction.

#include "vm/fetch.h"
#include "vm/interpreter.h"
#include "vm/lvalue.h"
#include "vm/machine.h"
#include "vm/ops.h"

namespace corvane {
namespace {

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

}  // namespace

void op_NOP(Machine&) {}

void op_PUSH_B(Machine& m) {
    m.push(fetchByte(m));
}
void op_PUSH_W(Machine& m) {
    m.push(uint32_t(int32_t(int16_t(fetchWord(m)))));
}
void op_PUSH_D(Machine& m) {
    m.push(fetchLong(m));
}
void op_PUSH_TEXTBUF(Machine& m) {
    m.push(kTextBuffer);
}
void op_PUSH_SCREEN(Machine& m) {
    m.push(kLcdScreen);
}
void op_PUSH_GBUF(Machine& m) {
    m.push(kGraphicsBuffer);
}

void op_LDG_C(Machine& m) {
    pushChar(m, globalAddress(m));
}
void op_LDG_I(Machine& m) {
    pushInt(m, globalAddress(m));
}
void op_LDG_L(Machine& m) {
    pushLong(m, globalAddress(m));
}
void op_LDL_C(Machine& m) {
    pushChar(m, localAddress(m));
}
void op_LDL_I(Machine& m) {
    pushInt(m, localAddress(m));
}
void op_LDL_L(Machine& m) {
    pushLong(m, localAddress(m));
}
void op_LDGX_C(Machine& m) {
    pushChar(m, indexedAddress(m));
}
void op_LDGX_I(Machine& m) {
    pushInt(m, indexedAddress(m));
}
void op_LDGX_L(Machine& m) {
    pushLong(m, indexedAddress(m));
}
void op_LDLX_C(Machine& m) {
    pushChar(m, indexedLocalAddress(m));
}
void op_LDLX_I(Machine& m) {
    pushInt(m, indexedLocalAddress(m));
}
void op_LDLX_L(Machine& m) {
    pushLong(m, indexedLocalAddress(m));
}

void op_LDP_C(Machine& m) {
    m.popA();
    pushChar(m, m.regA & 0xFFFF);
}

void op_REFGX_C(Machine& m) {
    m.push(indexedAddress(m) + kCharTag);
}
void op_REFGX_I(Machine& m) {
    m.push(indexedAddress(m) + kIntTag);
}
void op_REFGX_L(Machine& m) {
    m.push(indexedAddress(m) + kLongTag);
}
void op_REFLX_C(Machine& m) {
    m.push(indexedLocalAddress(m) + kCharTag);
}
void op_REFLX_I(Machine& m) {
    m.push(indexedLocalAddress(m) + kIntTag);
}
void op_REFLX_L(Machine& m) {
    m.push(indexedLocalAddress(m) + kLongTag);
}
void op_ADDRGX(Machine& m) {
    m.push(indexedAddress(m));
}
void op_ADDRLX(Machine& m) {
    m.push(indexedLocalAddress(m));
}
void op_ADDRL(Machine& m) {
    m.push(localAddress(m));
}

void op_REFP_C(Machine& m) {
    m.popA();
    m.push((m.regA & 0xFFFF) + kCharTag);
}

void op_STRKEY(Machine& m) {
    m.strKey = uint8_t(fetchByte(m));
}

// Copies the inline string into StringArea (decoding each byte with strKey) and pushes its
// address. StringArea is used as a ring: a copy that ends at or past 0x7300 sends the next
// string back to 0x7000. A string that runs off the end of the image ends the program.
void op_PUSH_STR(Machine& m) {
    const uint32_t start = m.pc - 1;
    m.push(kStringTag + m.strPtr);
    for (;;) {
        if (m.pc >= m.imageSize) {
            fault(m, "PUSH_STR at 0x%06X runs past the end of the program image", start);
            return;
        }
        const uint8_t byte = uint8_t(m.image[m.pc++] ^ m.strKey);
        m.write8(m.strPtr, byte);
        ++m.strPtr;
        if (byte == 0) break;
    }
    if (m.strPtr >= kStringAreaEnd) m.strPtr = kStringArea;
}

// The stored value is pushed whole, not truncated to the lvalue's width.
void op_ASSIGN(Machine& m) {
    m.popOperands();
    storeTyped(m, resolveAddress(m, m.regA), widthTag(m.regA), m.regB);
    m.regA = m.regB;
    m.push(m.regA);
}

}  // namespace corvane
