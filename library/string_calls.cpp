// The zero-terminated string calls: strcpy, strlen, strcat, strchr, strcmp, strstr.
// Arguments are popped last first; pointer arguments count by their low 16 bits.

#include <array>

#include "library/memory_walk.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

// strcpy(destination, source): measures the source, then copies its bytes and its terminator
// from the lowest address upward.
void sys_strcpy(Machine& m) {
    const uint16_t src = vmAddress(m.pop());
    const uint16_t dst = vmAddress(m.pop());
    const uint32_t length = stringLength(m, src);
    for (uint32_t i = 0; i < length; ++i) m.write8(dst + i, m.read8(src + i));
    m.write8(dst + length, 0);
}

// strlen(string): bytes before the terminator.
void sys_strlen(Machine& m) {
    const uint16_t s = vmAddress(m.pop());
    m.regA = stringLength(m, s);
    m.push(m.regA);
}

// strcat(destination, source): measures the source, then copies its bytes and its terminator
// over the destination's terminator. Measuring first makes strcat(s, s) double the string
// instead of chasing its own tail round the memory.
void sys_strcat(Machine& m) {
    const uint16_t src = vmAddress(m.pop());
    const uint16_t dst = vmAddress(m.pop());
    const uint32_t end = dst + stringLength(m, dst);
    const uint32_t length = stringLength(m, src);
    for (uint32_t i = 0; i < length; ++i) m.write8(end + i, m.read8(src + i));
    m.write8(end + length, 0);
}

// strchr(string, character): address of the first byte equal to the character's low 8 bits,
// or 0. The character 0 finds the terminator.
void sys_strchr(Machine& m) {
    const uint8_t c = uint8_t(m.pop());
    const uint16_t s = vmAddress(m.pop());
    m.regA = 0;
    for (uint32_t i = 0; i <= kWalkLimit; ++i) {
        // The byte just past the walk limit counts as the terminator.
        const uint8_t b = i == kWalkLimit ? 0 : m.read8(s + i);
        if (b == c) {
            m.regA = uint16_t(s + i);
            break;
        }
        if (b == 0) break;
    }
    m.push(m.regA);
}

// strcmp(first, second): -1, 0 or 1 by the first differing byte, compared unsigned.
void sys_strcmp(Machine& m) {
    const uint16_t second = vmAddress(m.pop());
    const uint16_t first = vmAddress(m.pop());
    int32_t result = 0;
    for (uint32_t i = 0; i < kWalkLimit; ++i) {
        const uint8_t a = m.read8(first + i);
        const uint8_t b = m.read8(second + i);
        if (a != b) {
            result = a < b ? -1 : 1;
            break;
        }
        if (a == 0) break;
    }
    m.regA = uint32_t(result);
    m.push(m.regA);
}

// strstr(string, pattern): address of the first occurrence of the pattern, or 0; an empty
// pattern gives the string itself. A linear-time search (prefix table), so a long pattern over
// a long string costs at most a few hundred thousand byte reads, never minutes.
void sys_strstr(Machine& m) {
    const uint16_t pattern = vmAddress(m.pop());
    const uint16_t text = vmAddress(m.pop());
    const uint32_t patternLength = stringLength(m, pattern);
    m.regA = 0;
    if (patternLength == 0) {
        m.regA = text;
        m.push(m.regA);
        return;
    }

    // prefix[i]: length of the longest proper prefix of pattern[0..i] that is also its suffix.
    // The pattern never changes during the call, so reading it through memory is safe.
    static std::array<uint32_t, kWalkLimit> prefix;
    prefix[0] = 0;
    for (uint32_t i = 1, k = 0; i < patternLength; ++i) {
        const uint8_t b = m.read8(pattern + i);
        while (k > 0 && m.read8(pattern + k) != b) k = prefix[k - 1];
        if (m.read8(pattern + k) == b) ++k;
        prefix[i] = k;
    }

    uint32_t matched = 0;
    for (uint32_t i = 0; i < kWalkLimit; ++i) {
        const uint8_t b = m.read8(text + i);
        if (b == 0) break;
        while (matched > 0 && m.read8(pattern + matched) != b) matched = prefix[matched - 1];
        if (m.read8(pattern + matched) == b) ++matched;
        if (matched == patternLength) {
            m.regA = uint16_t(text + i + 1 - patternLength);
            break;
        }
    }
    m.push(m.regA);
}

}  // namespace corvane
