#pragma once
// Arithmetic, logic and comparison on 32-bit two's-complement values. Binary operators take the
// left operand in regA and the right one in regB and leave the result in regA; truth values are
// -1 and 0. Defined inline for the run loop's cases, like the loads and stores.

#include <cstdint>

#include "vm/fetch.h"
#include "vm/lvalue.h"
#include "vm/machine.h"
#include "vm/vm_access.h"

namespace corvane {

constexpr uint32_t kTrue = 0xFFFFFFFF;

CORVANE_INLINE uint32_t truth(bool b) {
    return b ? kTrue : 0;
}
CORVANE_INLINE int32_t sgn(uint32_t v) {
    return int32_t(v);
}

// Division and remainder have no result for a zero divisor or for -2147483648 by -1: the
// program ends with a fault naming the instruction (ops_arithmetic.cpp).
void divisionFault(Machine& m, const char* name, uint32_t at);

CORVANE_INLINE bool divisionFaults(Machine& m, const char* name, uint32_t at) {
    if (m.regB == 0 || (m.regA == 0x80000000u && m.regB == kTrue)) [[unlikely]] {
        divisionFault(m, name, at);
        return true;
    }
    return false;
}

// Both operands from the stack.
template <typename M, typename F>
CORVANE_INLINE void binaryOp(M& m, F f) {
    m.popOperands();
    m.regA = f(m.regA, m.regB);
    m.push(m.regA);
}

// Left operand from the stack, right operand the s16 immediate.
template <typename M, typename F>
CORVANE_INLINE void immediateOp(M& m, F f) {
    m.popA();
    fetchSignedWordIntoB(m);
    m.regA = f(m.regA, m.regB);
    m.push(m.regA);
}

CORVANE_INLINE uint32_t opAdd(uint32_t a, uint32_t b) {
    return a + b;
}
CORVANE_INLINE uint32_t opSub(uint32_t a, uint32_t b) {
    return a - b;
}
CORVANE_INLINE uint32_t opMul(uint32_t a, uint32_t b) {
    return a * b;
}
CORVANE_INLINE uint32_t opShl(uint32_t a, uint32_t b) {
    return a << (b & 31);
}
CORVANE_INLINE uint32_t opShr(uint32_t a, uint32_t b) {
    return uint32_t(sgn(a) >> (b & 31));
}
CORVANE_INLINE uint32_t opEq(uint32_t a, uint32_t b) {
    return truth(a == b);
}
CORVANE_INLINE uint32_t opNe(uint32_t a, uint32_t b) {
    return truth(a != b);
}
CORVANE_INLINE uint32_t opLe(uint32_t a, uint32_t b) {
    return truth(sgn(a) <= sgn(b));
}
CORVANE_INLINE uint32_t opGe(uint32_t a, uint32_t b) {
    return truth(sgn(a) >= sgn(b));
}
CORVANE_INLINE uint32_t opGt(uint32_t a, uint32_t b) {
    return truth(sgn(a) > sgn(b));
}
CORVANE_INLINE uint32_t opLt(uint32_t a, uint32_t b) {
    return truth(sgn(a) < sgn(b));
}
CORVANE_INLINE uint32_t opAnd(uint32_t a, uint32_t b) {
    return a & b;
}
CORVANE_INLINE uint32_t opOr(uint32_t a, uint32_t b) {
    return a | b;
}
CORVANE_INLINE uint32_t opXor(uint32_t a, uint32_t b) {
    return a ^ b;
}
CORVANE_INLINE uint32_t opLand(uint32_t a, uint32_t b) {
    return truth(a != 0 && b != 0);
}
CORVANE_INLINE uint32_t opLor(uint32_t a, uint32_t b) {
    return truth(a != 0 || b != 0);
}

// Quotient truncated toward zero; remainder with the sign of the left operand.
CORVANE_INLINE void pushQuotient(Machine& m, const char* name, uint32_t at) {
    if (divisionFaults(m, name, at)) return;
    m.regA = uint32_t(sgn(m.regA) / sgn(m.regB));
    m.push(m.regA);
}
CORVANE_INLINE void pushRemainder(Machine& m, const char* name, uint32_t at) {
    if (divisionFaults(m, name, at)) return;
    m.regA = uint32_t(sgn(m.regA) % sgn(m.regB));
    m.push(m.regA);
}

template <typename M>
CORVANE_INLINE void op_NEG(M& m) {
    m.popA();
    m.regA = 0u - m.regA;
    m.push(m.regA);
}

template <typename M>
CORVANE_INLINE void op_NOT(M& m) {
    m.popA();
    m.regA = ~m.regA;
    m.push(m.regA);
}

template <typename M>
CORVANE_INLINE void op_LNOT(M& m) {
    m.popA();
    m.regA = truth(m.regA == 0);
    m.push(m.regA);
}

// The step is 1 whatever the width: the arithmetic is on the widened value, only the store
// narrows it, and the pushed value is the 32-bit one.
template <typename M>
CORVANE_INLINE void op_PREINC(M& m) {
    m.popB();
    loadThroughB(m);
    m.regA += 1;
    m.push(m.regA);
    storeThroughB(m);
}

template <typename M>
CORVANE_INLINE void op_PREDEC(M& m) {
    m.popB();
    loadThroughB(m);
    m.regA -= 1;
    m.push(m.regA);
    storeThroughB(m);
}

template <typename M>
CORVANE_INLINE void op_POSTINC(M& m) {
    m.popB();
    loadThroughB(m);
    m.push(m.regA);
    m.regA += 1;
    storeThroughB(m);
}

template <typename M>
CORVANE_INLINE void op_POSTDEC(M& m) {
    m.popB();
    loadThroughB(m);
    m.push(m.regA);
    m.regA -= 1;
    storeThroughB(m);
}

template <typename M>
CORVANE_INLINE void op_ADD(M& m) {
    binaryOp(m, opAdd);
}
template <typename M>
CORVANE_INLINE void op_SUB(M& m) {
    binaryOp(m, opSub);
}
template <typename M>
CORVANE_INLINE void op_AND(M& m) {
    binaryOp(m, opAnd);
}
template <typename M>
CORVANE_INLINE void op_OR(M& m) {
    binaryOp(m, opOr);
}
template <typename M>
CORVANE_INLINE void op_XOR(M& m) {
    binaryOp(m, opXor);
}
template <typename M>
CORVANE_INLINE void op_LAND(M& m) {
    binaryOp(m, opLand);
}
template <typename M>
CORVANE_INLINE void op_LOR(M& m) {
    binaryOp(m, opLor);
}
template <typename M>
CORVANE_INLINE void op_MUL(M& m) {
    binaryOp(m, opMul);
}
template <typename M>
CORVANE_INLINE void op_SHL(M& m) {
    binaryOp(m, opShl);
}
template <typename M>
CORVANE_INLINE void op_SHR(M& m) {
    binaryOp(m, opShr);
}
template <typename M>
CORVANE_INLINE void op_EQ(M& m) {
    binaryOp(m, opEq);
}
template <typename M>
CORVANE_INLINE void op_NE(M& m) {
    binaryOp(m, opNe);
}
template <typename M>
CORVANE_INLINE void op_LE(M& m) {
    binaryOp(m, opLe);
}
template <typename M>
CORVANE_INLINE void op_GE(M& m) {
    binaryOp(m, opGe);
}
template <typename M>
CORVANE_INLINE void op_GT(M& m) {
    binaryOp(m, opGt);
}
template <typename M>
CORVANE_INLINE void op_LT(M& m) {
    binaryOp(m, opLt);
}

CORVANE_INLINE void op_DIV(Machine& m) {
    m.popOperands();
    pushQuotient(m, "DIV", m.pc - 1);
}

CORVANE_INLINE void op_MOD(Machine& m) {
    m.popOperands();
    pushRemainder(m, "MOD", m.pc - 1);
}

template <typename M>
CORVANE_INLINE void op_ADDI(M& m) {
    immediateOp(m, opAdd);
}
template <typename M>
CORVANE_INLINE void op_SUBI(M& m) {
    immediateOp(m, opSub);
}
template <typename M>
CORVANE_INLINE void op_MULI(M& m) {
    immediateOp(m, opMul);
}
template <typename M>
CORVANE_INLINE void op_SHLI(M& m) {
    immediateOp(m, opShl);
}
template <typename M>
CORVANE_INLINE void op_SHRI(M& m) {
    immediateOp(m, opShr);
}
template <typename M>
CORVANE_INLINE void op_EQI(M& m) {
    immediateOp(m, opEq);
}
template <typename M>
CORVANE_INLINE void op_NEI(M& m) {
    immediateOp(m, opNe);
}
template <typename M>
CORVANE_INLINE void op_GTI(M& m) {
    immediateOp(m, opGt);
}
template <typename M>
CORVANE_INLINE void op_LTI(M& m) {
    immediateOp(m, opLt);
}
template <typename M>
CORVANE_INLINE void op_GEI(M& m) {
    immediateOp(m, opGe);
}
template <typename M>
CORVANE_INLINE void op_LEI(M& m) {
    immediateOp(m, opLe);
}

// The immediate forms name the address of their opcode, three bytes before pc.
CORVANE_INLINE void op_DIVI(Machine& m) {
    m.popA();
    fetchSignedWordIntoB(m);
    pushQuotient(m, "DIVI", m.pc - 3);
}

CORVANE_INLINE void op_MODI(Machine& m) {
    m.popA();
    fetchSignedWordIntoB(m);
    pushRemainder(m, "MODI", m.pc - 3);
}

}  // namespace corvane
