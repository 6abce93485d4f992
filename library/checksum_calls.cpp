// Crc16 (the 16-bit CRC with polynomial 0x1021, most significant bit first, register starting
// at 0, no reflection and no final XOR) and Secret (XOR with a repeating key string).

#include <array>

#include "library/memory_walk.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

constexpr uint16_t kCrcPolynomial = 0x1021;

// Entry i: the register after shifting byte i through eight rounds, starting from i x 256.
constexpr std::array<uint16_t, 256> kCrcTable = [] {
    std::array<uint16_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t reg = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            reg = (reg & 0x8000) ? (reg << 1) ^ kCrcPolynomial : reg << 1;
        }
        table[i] = uint16_t(reg);
    }
    return table;
}();

}  // namespace

// Crc16(data, length): the CRC of the bytes, 0-65535; length 0 gives 0.
void sys_Crc16(Machine& m) {
    const uint16_t length = uint16_t(m.pop());
    const uint16_t data = vmAddress(m.pop());
    uint16_t reg = 0;
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t index = uint8_t((reg >> 8) ^ m.read8(data + i));
        reg = uint16_t((reg << 8) ^ kCrcTable[index]);
    }
    m.regA = reg;
    m.push(m.regA);
}

// Secret(data, length, key): XORs each data byte with the next key byte; at the key's
// terminator the key starts again from its first byte. Applying it twice restores the data.
// An empty key leaves the first byte as it is and then runs on into the bytes after the
// terminator, by the same rule.
void sys_Secret(Machine& m) {
    const uint16_t key = vmAddress(m.pop());
    const uint16_t length = uint16_t(m.pop());
    const uint16_t data = vmAddress(m.pop());
    uint32_t j = 0;
    for (uint32_t i = 0; i < length; ++i) {
        uint8_t k = m.read8(key + j);
        ++j;
        if (k == 0) {
            k = m.read8(key);
            j = 1;
        }
        m.write8(data + i, m.read8(data + i) ^ k);
    }
}

}  // namespace corvane
