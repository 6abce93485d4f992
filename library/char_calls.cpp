// The character classes (isalnum to isxdigit) and the case conversions, over plain ASCII:
// bytes 0x80-0xFF, the end-of-file value -1 and any value outside 0-255 belong to no class.

#include <array>

#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

enum ClassBit : uint16_t {
    kAlnum = 1 << 0,
    kAlpha = 1 << 1,
    kCntrl = 1 << 2,
    kDigit = 1 << 3,
    kGraph = 1 << 4,
    kLower = 1 << 5,
    kPrint = 1 << 6,
    kPunct = 1 << 7,
    kSpace = 1 << 8,
    kUpper = 1 << 9,
    kXdigit = 1 << 10,
};

constexpr bool inRange(int c, int lo, int hi) {
    return c >= lo && c <= hi;
}

constexpr uint16_t classesOf(int c) {
    uint16_t bits = 0;
    const bool upper = inRange(c, 'A', 'Z');
    const bool lower = inRange(c, 'a', 'z');
    const bool digit = inRange(c, '0', '9');
    const bool graph = inRange(c, 0x21, 0x7E);
    if (upper) bits |= kUpper;
    if (lower) bits |= kLower;
    if (digit) bits |= kDigit;
    if (upper || lower) bits |= kAlpha;
    if (upper || lower || digit) bits |= kAlnum;
    if (inRange(c, 0x00, 0x1F) || c == 0x7F) bits |= kCntrl;
    if (graph) bits |= kGraph;
    if (inRange(c, 0x20, 0x7E)) bits |= kPrint;
    if (graph && !(upper || lower || digit)) bits |= kPunct;
    if (inRange(c, 0x09, 0x0D) || c == ' ') bits |= kSpace;
    if (digit || inRange(c, 'A', 'F') || inRange(c, 'a', 'f')) bits |= kXdigit;
    return bits;
}

constexpr std::array<uint16_t, 256> kClassTable = [] {
    std::array<uint16_t, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = classesOf(c);
    return table;
}();

// Pops the character and pushes -1 if it belongs to the class, else 0.
void testClass(Machine& m, uint16_t bit) {
    const int32_t c = int32_t(m.pop());
    const bool member = c >= 0 && c <= 255 && (kClassTable[c] & bit) != 0;
    m.regA = member ? 0xFFFFFFFFu : 0u;
    m.push(m.regA);
}

}  // namespace

void sys_isalnum(Machine& m) {
    testClass(m, kAlnum);
}
void sys_isalpha(Machine& m) {
    testClass(m, kAlpha);
}
void sys_iscntrl(Machine& m) {
    testClass(m, kCntrl);
}
void sys_isdigit(Machine& m) {
    testClass(m, kDigit);
}
void sys_isgraph(Machine& m) {
    testClass(m, kGraph);
}
void sys_islower(Machine& m) {
    testClass(m, kLower);
}
void sys_isprint(Machine& m) {
    testClass(m, kPrint);
}
void sys_ispunct(Machine& m) {
    testClass(m, kPunct);
}
void sys_isspace(Machine& m) {
    testClass(m, kSpace);
}
void sys_isupper(Machine& m) {
    testClass(m, kUpper);
}
void sys_isxdigit(Machine& m) {
    testClass(m, kXdigit);
}

// tolower/toupper take the low 8 bits and push the converted byte (0-255).
void sys_tolower(Machine& m) {
    const uint8_t c = uint8_t(m.pop());
    m.regA = (c >= 'A' && c <= 'Z') ? c | 0x20u : c;
    m.push(m.regA);
}

void sys_toupper(Machine& m) {
    const uint8_t c = uint8_t(m.pop());
    m.regA = (c >= 'a' && c <= 'z') ? c & ~0x20u : c;
    m.push(m.regA);
}

}  // namespace corvane
