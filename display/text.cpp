// Glyph drawing and TextOut.

#include "display/text.h"

#include <cstring>

#include "display/fonts.h"
#include "display/screen.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

// A glyph's bytes go through the staging area in VmMemory, which programs can see; a missing
// glyph (no fonts, no such character) stages an all-clear cell of the same size.
void drawGlyph(Machine& m, uint8_t x, uint8_t y, uint8_t w, uint8_t h, const uint8_t* glyph,
               uint32_t bytes) {
    uint8_t* staging = &m.mem[kGlyphStaging];
    if (glyph != nullptr) {
        std::memcpy(staging, glyph, bytes);
    } else {
        std::memset(staging, 0, bytes);
    }
    blockBlit(m, x, y, w, h, kGlyphStaging);
}

const uint8_t* asciiGlyph(const uint8_t* table, uint8_t code, uint32_t bytes) {
    if (table == nullptr || code >= 0x80) return nullptr;
    return table + uint32_t(code) * bytes;
}

const uint8_t* hanziGlyph(const uint8_t* table, uint8_t first, uint8_t second, uint32_t bytes) {
    const int32_t index = hanziIndex(first, second);
    if (table == nullptr || index < 0 || index >= int32_t(kHanziGlyphs)) return nullptr;
    return table + uint32_t(index) * bytes;
}

}  // namespace

int32_t hanziIndex(uint8_t first, uint8_t second) {
    // The file skips the GB2312 rows 0xAA-0xAF, so rows from 0xB0 follow row 0xA9 directly.
    const int32_t row = first < 0xB0 ? int32_t(first) - 0xA1 : int32_t(first) - 0xA7;
    return row * 94 + (int32_t(second) - 0xA1);
}

void drawSmallAscii(Machine& m, uint8_t x, uint8_t y, uint8_t code) {
    const uint8_t* table = m.fonts ? m.fonts->smallAscii.data() : nullptr;
    drawGlyph(m, x, y, 6, 12, asciiGlyph(table, code, 12), 12);
}

void drawLargeAscii(Machine& m, uint8_t x, uint8_t y, uint8_t code) {
    const uint8_t* table = m.fonts ? m.fonts->largeAscii.data() : nullptr;
    drawGlyph(m, x, y, 8, 16, asciiGlyph(table, code, 16), 16);
}

void drawSmallHanzi(Machine& m, uint8_t x, uint8_t y, uint8_t first, uint8_t second) {
    const uint8_t* table = m.fonts ? m.fonts->smallHanzi.data() : nullptr;
    drawGlyph(m, x, y, 12, 12, hanziGlyph(table, first, second, 24), 24);
}

void drawLargeHanzi(Machine& m, uint8_t x, uint8_t y, uint8_t first, uint8_t second) {
    const uint8_t* table = m.fonts ? m.fonts->largeHanzi.data() : nullptr;
    drawGlyph(m, x, y, 16, 16, hanziGlyph(table, first, second, 32), 32);
}

StagedGlyph stagedGlyph(const Machine& m, bool small, uint8_t first, uint8_t second) {
    const FontTables* f = m.fonts;
    if (first < 0x80) {
        const uint32_t size = small ? 12 : 16;
        const uint8_t* table = f ? (small ? f->smallAscii.data() : f->largeAscii.data()) : nullptr;
        return {asciiGlyph(table, first, size), size};
    }
    const uint32_t size = small ? 24 : 32;
    const uint8_t* table = f ? (small ? f->smallHanzi.data() : f->largeHanzi.data()) : nullptr;
    return {hanziGlyph(table, first, second, size), size};
}

void sys_TextOut(Machine& m) {
    const uint8_t type = popByte(m);
    uint16_t address = popAddress(m);
    const uint8_t y = popByte(m);
    const uint8_t x0 = popByte(m);

    selectTarget(m, (type & 0x40) != 0);  // bit 6 set: LCD
    m.draw.mode = type & 0x0F;
    m.draw.mirror = (type & 0x20) != 0;
    const bool large = (type & 0x80) != 0;

    // The text is not wrapped: it ends at its terminator or when x reaches the right edge. Every
    // byte read either ends the walk or advances x, so even an unterminated string ends within
    // a few dozen bytes; the address wraps at 64 KiB.
    uint32_t x = x0;
    auto next = [&]() { return m.mem[address++]; };
    while (x < uint32_t(kScreenWidth)) {
        const uint8_t c = next();
        if (c == 0) break;
        if (c < 0x80) {
            if (large) {
                drawLargeAscii(m, uint8_t(x), y, c);
                x += 8;
            } else {
                drawSmallAscii(m, uint8_t(x), y, c);
                x += 6;
            }
        } else {
            // The second byte is taken as it is, even a terminator.
            const uint8_t c2 = next();
            if (large) {
                drawLargeHanzi(m, uint8_t(x), y, c, c2);
                x += 16;
            } else {
                drawSmallHanzi(m, uint8_t(x), y, c, c2);
                x += 12;
            }
        }
    }
}

}  // namespace corvane
