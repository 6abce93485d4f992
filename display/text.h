#pragma once
// The four glyph operations shared by TextOut and the console render. Each copies the glyph into
// the glyph staging area of VmMemory and draws it from there with the block blit, using the
// current draw target, drawing mode (as raster operation) and mirror flag.

#include <cstdint>

namespace corvane {

struct Machine;

// Glyph index of a double-byte character in the double-byte tables, computed without a check;
// indices outside 0 .. kHanziGlyphs - 1 have no glyph.
int32_t hanziIndex(uint8_t first, uint8_t second);

// Single-byte glyphs: codes 0x80 and above draw an all-clear cell.
void drawSmallAscii(Machine& m, uint8_t x, uint8_t y, uint8_t code);  // 6 x 12
void drawLargeAscii(Machine& m, uint8_t x, uint8_t y, uint8_t code);  // 8 x 16

// Double-byte glyphs: a character with no glyph draws an all-clear cell.
void drawSmallHanzi(Machine& m, uint8_t x, uint8_t y, uint8_t first, uint8_t second);  // 12 x 12
void drawLargeHanzi(Machine& m, uint8_t x, uint8_t y, uint8_t first, uint8_t second);  // 16 x 16

// What a console cell's glyph stages: first < 0x80 is a single-byte glyph, else the double-byte
// glyph of first and second. `bytes` null means an all-clear cell of `size` bytes.
struct StagedGlyph {
    const uint8_t* bytes;
    uint32_t size;
};
StagedGlyph stagedGlyph(const Machine& m, bool small, uint8_t first, uint8_t second);

}  // namespace corvane
