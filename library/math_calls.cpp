// Integer math: abs, the random number generator (rand, srand) and whole-degree sine and
// cosine scaled by 1024, read from a quarter-wave table. No floating point.

#include <array>

#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

// 1024 x sin(i degrees), rounded to the nearest integer, for i = 0..90.
constexpr std::array<uint16_t, 91> kSineTable = {
    0,    18,   36,   54,   71,   89,   107,  125,  143,  160,  178,  195, 213, 230, 248,  265,
    282,  299,  316,  333,  350,  367,  384,  400,  416,  433,  449,  465, 481, 496, 512,  527,
    543,  558,  573,  587,  602,  616,  630,  644,  658,  672,  685,  698, 711, 724, 737,  749,
    761,  773,  784,  796,  807,  818,  828,  839,  849,  859,  868,  878, 887, 896, 904,  912,
    920,  928,  935,  943,  949,  956,  962,  968,  974,  979,  984,  989, 994, 998, 1002, 1005,
    1008, 1011, 1014, 1016, 1018, 1020, 1022, 1023, 1023, 1024, 1024,
};

// The angle argument: its low 16 bits as an unsigned number, reduced to 0-359. A negative
// angle is therefore not reduced as a negative number.
uint32_t reduceAngle(uint32_t value) {
    return (value & 0xFFFF) % 360;
}

// 1024 x sin(a) for a in 0..359, by symmetry from the quarter-wave table.
int32_t sineOf(uint32_t a) {
    if (a < 90) return kSineTable[a];
    if (a < 180) return kSineTable[180 - a];
    if (a < 270) return -int32_t(kSineTable[a - 180]);
    return -int32_t(kSineTable[360 - a]);
}

}  // namespace

// abs(value): the magnitude; -2147483648 stays as it is (two's-complement negation wraps).
void sys_abs(Machine& m) {
    m.popA();
    if (int32_t(m.regA) < 0) m.regA = 0u - m.regA;
    m.push(m.regA);
}

// rand(): advances the seed (linear congruential, modulo 2^32) and pushes its bits 16-30.
void sys_rand(Machine& m) {
    m.randomSeed = m.randomSeed * 22695477u + 1u;
    m.regA = (m.randomSeed >> 16) & 0x7FFF;
    m.push(m.regA);
}

// srand(seed): the seed is replaced, so the sequence that follows is fixed.
void sys_srand(Machine& m) {
    m.randomSeed = m.pop();
}

void sys_Sin(Machine& m) {
    const uint32_t a = reduceAngle(m.pop());
    m.regA = uint32_t(sineOf(a));
    m.push(m.regA);
}

// cos(a) = sin(a + 90), with the sum brought back into 0..359.
void sys_Cos(Machine& m) {
    uint32_t a = reduceAngle(m.pop());
    a = a >= 270 ? a - 270 : a + 90;
    m.regA = uint32_t(sineOf(a));
    m.push(m.regA);
}

}  // namespace corvane
