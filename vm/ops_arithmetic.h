#pragma once
// Arithmetic, logic and comparison on 32-bit two's-complement values. Binary operators take the
// left operand in regA and the right one in regB and leave the result in regA; truth values are
// -1 and 0. Defined inline for the run loop's cases, like the loads and stores.

#include <cstdint>

#include "vm/fetch.h"
#include "vm/lvalue.h"
#include "vm/machine.h"

namespace corvane {

constexpr uint32_t kTrue = 0xFFFFFFFF;

inline uint32_t truth(bool b) {
    return b ? kTrue : 0;
}
inline int32_t sgn(uint32_t v) {
    return int32_t(v);
}

// Division and remainder have no result for a zero divisor or for -2147483648 by -1: the
// program ends with a fault naming the instruction (ops_arithmetic.cpp).
void divisionFault(Machine& m, const char* name, uint32_t at);

inline bool divisionFaults(Machine& m, const char* name, uint32_t at) {
    if (m.regB == 0 || (m.regA == 0x80000000u && m.regB == kTrue)) [[unlikely]] {
        divisionFault(m, name, at);
        return true;
    }
    return false;
}

// Both operands from the stack.
template <typename F>
inline void binaryOp(Machine& m, F f) {
    m.popOperands();
    m.regA = f(m.regA, m.regB);
    m.push(m.regA);
}

// Left operand from the stack, right operand the s16 immediate.
template <typename F>
inline void immediateOp(Machine& m, F f) {
    m.popA();
    fetchSignedWordIntoB(m);
    m.regA = f(m.regA, m.regB);
    m.push(m.regA);
}

inline uint32_t opAdd(uint32_t a, uint32_t b) {
    return a + b;
}
inline uint32_t opSub(uint32_t a, uint32_t b) {
    return a - b;
}
inline uint32_t opMul(uint32_t a, uint32_t b) {
    return a * b;
}
inline uint32_t opShl(uint32_t a, uint32_t b) {
    return a << (b & 31);
}
inline uint32_t opShr(uint32_t a, uint32_t b) {
    return uint32_t(sgn(a) >> (b & 31));
}
inline uint32_t opEq(uint32_t a, uint32_t b) {
    return truth(a == b);
}
inline uint32_t opNe(uint32_t a, uint32_t b) {
    return truth(a != b);
}
inline uint32_t opLe(uint32_t a, uint32_t b) {
    return truth(sgn(a) <= sgn(b));
}
inline uint32_t opGe(uint32_t a, uint32_t b) {
    return truth(sgn(a) >= sgn(b));
}
inline uint32_t opGt(uint32_t a, uint32_t b) {
    return truth(sgn(a) > sgn(b));
}
inline uint32_t opLt(uint32_t a, uint32_t b) {
    return truth(sgn(a) < sgn(b));
}
inline uint32_t opAnd(uint32_t a, uint32_t b) {
    return a & b;
}
inline uint32_t opOr(uint32_t a, uint32_t b) {
    return a | b;
}
inline uint32_t opXor(uint32_t a, uint32_t b) {
    return a ^ b;
}
inline uint32_t opLand(uint32_t a, uint32_t b) {
    return truth(a != 0 && b != 0);
}
inline uint32_t opLor(uint32_t a, uint32_t b) {
    return truth(a != 0 || b != 0);
}

// Quotient truncated toward zero; remainder with the sign of the left operand.
inline void pushQuotient(Machine& m, const char* name, uint32_t at) {
    if (divisionFaults(m, name, at)) return;
    m.regA = uint32_t(sgn(m.regA) / sgn(m.regB));
    m.push(m.regA);
}
inline void pushRemainder(Machine& m, const char* name, uint32_t at) {
    if (divisionFaults(m, name, at)) return;
    m.regA = uint32_t(sgn(m.regA) % sgn(m.regB));
    m.push(m.regA);
}

inline void op_NEG(Machine& m) {
    m.popA();
    m.regA = 0u - m.regA;
    m.push(m.regA);
}

inline void op_NOT(Machine& m) {
    m.popA();
    m.regA = ~m.regA;
    m.push(m.regA);
}

inline void op_LNOT(Machine& m) {
    m.popA();
    m.regA = truth(m.regA == 0);
    m.push(m.regA);
}

// The step is 1 whatever the width: the arithmetic is on the widened value, only the store
// narrows it, and the pushed value is the 32-bit one.
inline void op_PREINC(Machine& m) {
    m.popB();
    loadThroughB(m);
    m.regA += 1;
    m.push(m.regA);
    storeThroughB(m);
}

inline void op_PREDEC(Machine& m) {
    m.popB();
    loadThroughB(m);
    m.regA -= 1;
    m.push(m.regA);
    storeThroughB(m);
}

inline void op_POSTINC(Machine& m) {
    m.popB();
    loadThroughB(m);
    m.push(m.regA);
    m.regA += 1;
    storeThroughB(m);
}

inline void op_POSTDEC(Machine& m) {
    m.popB();
    loadThroughB(m);
    m.push(m.regA);
    m.regA -= 1;
    storeThroughB(m);
}

inline void op_ADD(Machine& m) {
    binaryOp(m, opAdd);
}
inline void op_SUB(Machine& m) {
    binaryOp(m, opSub);
}
inline void op_AND(Machine& m) {
    binaryOp(m, opAnd);
}
inline void op_OR(Machine& m) {
    binaryOp(m, opOr);
}
inline void op_XOR(Machine& m) {
    binaryOp(m, opXor);
}
inline void op_LAND(Machine& m) {
    binaryOp(m, opLand);
}
inline void op_LOR(Machine& m) {
    binaryOp(m, opLor);
}
inline void op_MUL(Machine& m) {
    binaryOp(m, opMul);
}
inline void op_SHL(Machine& m) {
    binaryOp(m, opShl);
}
inline void op_SHR(Machine& m) {
    binaryOp(m, opShr);
}
inline void op_EQ(Machine& m) {
    binaryOp(m, opEq);
}
inline void op_NE(Machine& m) {
    binaryOp(m, opNe);
}
inline void op_LE(Machine& m) {
    binaryOp(m, opLe);
}
inline void op_GE(Machine& m) {
    binaryOp(m, opGe);
}
inline void op_GT(Machine& m) {
    binaryOp(m, opGt);
}
inline void op_LT(Machine& m) {
    binaryOp(m, opLt);
}

inline void op_DIV(Machine& m) {
    m.popOperands();
    pushQuotient(m, "DIV", m.pc - 1);
}

inline void op_MOD(Machine& m) {
    m.popOperands();
    pushRemainder(m, "MOD", m.pc - 1);
}

inline void op_ADDI(Machine& m) {
    immediateOp(m, opAdd);
}
inline void op_SUBI(Machine& m) {
    immediateOp(m, opSub);
}
inline void op_MULI(Machine& m) {
    immediateOp(m, opMul);
}
inline void op_SHLI(Machine& m) {
    immediateOp(m, opShl);
}
inline void op_SHRI(Machine& m) {
    immediateOp(m, opShr);
}
inline void op_EQI(Machine& m) {
    immediateOp(m, opEq);
}
inline void op_NEI(Machine& m) {
    immediateOp(m, opNe);
}
inline void op_GTI(Machine& m) {
    immediateOp(m, opGt);
}
inline void op_LTI(Machine& m) {
    immediateOp(m, opLt);
}
inline void op_GEI(Machine& m) {
    immediateOp(m, opGe);
}
inline void op_LEI(Machine& m) {
    immediateOp(m, opLe);
}

// The immediate forms name the address of their opcode, three bytes before pc.
inline void op_DIVI(Machine& m) {
    m.popA();
    fetchSignedWordIntoB(m);
    pushQuotient(m, "DIVI", m.pc - 3);
}

inline void op_MODI(Machine& m) {
    m.popA();
    fetchSignedWordIntoB(m);
    pushRemainder(m, "MODI", m.pc - 3);
}

}  // namespace corvane
