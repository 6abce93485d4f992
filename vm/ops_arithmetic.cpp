// Arithmetic, logic and comparison on 32-bit two's-complement values. Binary operators take the
// left operand in regA and the right one in regB and leave the result in regA; truth values are
// -1 and 0.

#include <cstdint>

#include "vm/fetch.h"
#include "vm/interpreter.h"
#include "vm/lvalue.h"
#include "vm/machine.h"
#include "vm/ops.h"

namespace corvane {
namespace {

constexpr uint32_t kTrue = 0xFFFFFFFF;

inline uint32_t truth(bool b) {
    return b ? kTrue : 0;
}
inline int32_t sgn(uint32_t v) {
    return int32_t(v);
}

// Division and remainder have no result for a zero divisor or for -2147483648 / -1: the program
// ends with a fault instead. Returns false when it faulted.
bool divisible(Machine& m, const char* name, uint32_t at) {
    if (m.regB == 0) {
        fault(m, "%s at 0x%06X divides by zero", name, at);
        return false;
    }
    if (m.regA == 0x80000000u && m.regB == kTrue) {
        fault(m, "%s at 0x%06X divides -2147483648 by -1", name, at);
        return false;
    }
    return true;
}

inline void quotient(Machine& m, const char* name, uint32_t at) {
    if (divisible(m, name, at)) {
        m.regA = uint32_t(sgn(m.regA) / sgn(m.regB));
        m.push(m.regA);
    }
}

inline void remainder(Machine& m, const char* name, uint32_t at) {
    if (divisible(m, name, at)) {
        m.regA = uint32_t(sgn(m.regA) % sgn(m.regB));
        m.push(m.regA);
    }
}

// Both operands from the stack.
template <typename F>
inline void binary(Machine& m, F f) {
    m.popOperands();
    m.regA = f(m.regA, m.regB);
    m.push(m.regA);
}

// Left operand from the stack, right operand the s16 immediate.
template <typename F>
inline void immediate(Machine& m, F f) {
    m.popA();
    fetchSignedWordIntoB(m);
    m.regA = f(m.regA, m.regB);
    m.push(m.regA);
}

constexpr auto kAdd = [](uint32_t a, uint32_t b) { return a + b; };
constexpr auto kSub = [](uint32_t a, uint32_t b) { return a - b; };
constexpr auto kMul = [](uint32_t a, uint32_t b) { return a * b; };
constexpr auto kShl = [](uint32_t a, uint32_t b) { return a << (b & 31); };
constexpr auto kShr = [](uint32_t a, uint32_t b) { return uint32_t(sgn(a) >> (b & 31)); };
constexpr auto kEq = [](uint32_t a, uint32_t b) { return truth(a == b); };
constexpr auto kNe = [](uint32_t a, uint32_t b) { return truth(a != b); };
constexpr auto kLe = [](uint32_t a, uint32_t b) { return truth(sgn(a) <= sgn(b)); };
constexpr auto kGe = [](uint32_t a, uint32_t b) { return truth(sgn(a) >= sgn(b)); };
constexpr auto kGt = [](uint32_t a, uint32_t b) { return truth(sgn(a) > sgn(b)); };
constexpr auto kLt = [](uint32_t a, uint32_t b) { return truth(sgn(a) < sgn(b)); };

}  // namespace

void op_NEG(Machine& m) {
    m.popA();
    m.regA = 0u - m.regA;
    m.push(m.regA);
}

void op_NOT(Machine& m) {
    m.popA();
    m.regA = ~m.regA;
    m.push(m.regA);
}

void op_LNOT(Machine& m) {
    m.popA();
    m.regA = truth(m.regA == 0);
    m.push(m.regA);
}

// The step is 1 whatever the width: the arithmetic is on the widened value, only the store
// narrows it, and the pushed value is the 32-bit one.
void op_PREINC(Machine& m) {
    m.popB();
    loadThroughB(m);
    m.regA += 1;
    m.push(m.regA);
    storeThroughB(m);
}

void op_PREDEC(Machine& m) {
    m.popB();
    loadThroughB(m);
    m.regA -= 1;
    m.push(m.regA);
    storeThroughB(m);
}

void op_POSTINC(Machine& m) {
    m.popB();
    loadThroughB(m);
    m.push(m.regA);
    m.regA += 1;
    storeThroughB(m);
}

void op_POSTDEC(Machine& m) {
    m.popB();
    loadThroughB(m);
    m.push(m.regA);
    m.regA -= 1;
    storeThroughB(m);
}

void op_ADD(Machine& m) {
    binary(m, kAdd);
}
void op_SUB(Machine& m) {
    binary(m, kSub);
}
void op_AND(Machine& m) {
    binary(m, [](uint32_t a, uint32_t b) { return a & b; });
}
void op_OR(Machine& m) {
    binary(m, [](uint32_t a, uint32_t b) { return a | b; });
}
void op_XOR(Machine& m) {
    binary(m, [](uint32_t a, uint32_t b) { return a ^ b; });
}
void op_LAND(Machine& m) {
    binary(m, [](uint32_t a, uint32_t b) { return truth(a && b); });
}
void op_LOR(Machine& m) {
    binary(m, [](uint32_t a, uint32_t b) { return truth(a || b); });
}
void op_MUL(Machine& m) {
    binary(m, kMul);
}
void op_SHL(Machine& m) {
    binary(m, kShl);
}
void op_SHR(Machine& m) {
    binary(m, kShr);
}
void op_EQ(Machine& m) {
    binary(m, kEq);
}
void op_NE(Machine& m) {
    binary(m, kNe);
}
void op_LE(Machine& m) {
    binary(m, kLe);
}
void op_GE(Machine& m) {
    binary(m, kGe);
}
void op_GT(Machine& m) {
    binary(m, kGt);
}
void op_LT(Machine& m) {
    binary(m, kLt);
}

void op_DIV(Machine& m) {
    m.popOperands();
    quotient(m, "DIV", m.pc - 1);
}

void op_MOD(Machine& m) {
    m.popOperands();
    remainder(m, "MOD", m.pc - 1);
}

void op_ADDI(Machine& m) {
    immediate(m, kAdd);
}
void op_SUBI(Machine& m) {
    immediate(m, kSub);
}
void op_MULI(Machine& m) {
    immediate(m, kMul);
}
void op_SHLI(Machine& m) {
    immediate(m, kShl);
}
void op_SHRI(Machine& m) {
    immediate(m, kShr);
}
void op_EQI(Machine& m) {
    immediate(m, kEq);
}
void op_NEI(Machine& m) {
    immediate(m, kNe);
}
void op_GTI(Machine& m) {
    immediate(m, kGt);
}
void op_LTI(Machine& m) {
    immediate(m, kLt);
}
void op_GEI(Machine& m) {
    immediate(m, kGe);
}
void op_LEI(Machine& m) {
    immediate(m, kLe);
}

void op_DIVI(Machine& m) {
    m.popA();
    fetchSignedWordIntoB(m);
    quotient(m, "DIVI", m.pc - 3);
}

void op_MODI(Machine& m) {
    m.popA();
    fetchSignedWordIntoB(m);
    remainder(m, "MODI", m.pc - 3);
}

}  // namespace corvane
