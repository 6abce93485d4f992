#pragma once
// Helpers for the display tests: a reset machine whose system calls are called directly, views
// of the two bitmaps, PBM golden images, and a synthetic font whose glyphs tell their own index.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "display/fonts.h"
#include "vm/machine.h"

namespace corvane::test {

using Handler = void (*)(Machine&);

// A 160 x 80 picture, one byte per pixel (0 or 1).
struct Picture {
    std::vector<uint8_t> px = std::vector<uint8_t>(160 * 80, 0);
    uint8_t at(int x, int y) const { return px[y * 160 + x]; }
    bool operator==(const Picture&) const = default;
};

Picture pictureOf(const Machine& m, uint16_t base);
bool writePbm(const std::string& path, const Picture& p);
bool readPbm(const std::string& path, Picture& p);  // P1 or P4, 160 x 80

// Compares the LCD screen memory with tests/golden/display/<name>.pbm; with
// CORVANE_UPDATE_GOLDENS=1 in the environment it writes the golden instead.
void expectLcdGolden(const Machine& m, const std::string& name);

// A synthetic FontTables: single-byte glyphs show their code as two hex digits, double-byte
// glyphs are a frame around the bits of their index (row by row), so a drawn or staged glyph
// names the table entry it came from.
const FontTables& syntheticFont();  // built once

struct DisplayMachine {
    Machine m;
    const FontTables* font = &syntheticFont();

    DisplayMachine();

    // Pushes the arguments in source order and runs the handler; a call without a result must
    // take all of them.
    void call(Handler fn, std::initializer_list<uint32_t> args);
    uint32_t result(Handler fn, std::initializer_list<uint32_t> args);

    bool lcd(int x, int y) const;
    bool back(int x, int y) const;
    int lcdCount() const;  // set pixels on the LCD
    void putString(uint16_t addr, const std::string& s);
};

}  // namespace corvane::test
