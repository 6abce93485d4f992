// The console render that draws only what changed, against the render of every glyph: random
// console output (ASCII, double-byte characters cut at row ends, new lines, scrolling), font
// switches, positioning, skipped rows, the mirror flag and drawing on the LCD between renders.
// After every call both machines must hold the same VmMemory (pixels and glyph staging area
// included) and the same drawing and console state.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "display/console.h"
#include "display_fixture.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

::testing::AssertionResult sameDisplay(const Machine& a, const Machine& b) {
    for (uint32_t i = 0; i < kVmMemorySize; ++i) {
        if (a.mem[i] != b.mem[i]) {
            return ::testing::AssertionFailure() << "VmMemory differs at 0x" << std::hex << i;
        }
    }
    if (a.draw.target != b.draw.target || a.draw.mode != b.draw.mode ||
        a.draw.mirror != b.draw.mirror) {
        return ::testing::AssertionFailure() << "drawing state differs";
    }
    const ConsoleState &x = a.console, &y = b.console;
    if (x.cursorColumn != y.cursorColumn || x.cursorRow != y.cursorRow ||
        x.writeIndex != y.writeIndex || x.skipMask != y.skipMask) {
        return ::testing::AssertionFailure() << "console state differs";
    }
    return ::testing::AssertionSuccess();
}

// A byte of console output: mostly ASCII, double-byte characters, some new lines.
uint8_t outputByte(std::mt19937& rng) {
    const uint32_t pick = rng() % 20;
    if (pick == 0) return '\n';
    if (pick < 4) return uint8_t(0xB0 + rng() % 8);  // first byte of a double-byte character
    if (pick < 6) return uint8_t(0xA1 + rng() % 8);
    return uint8_t(' ' + rng() % 95);
}

class ConsoleIncremental : public ::testing::TestWithParam<bool> {};

TEST_P(ConsoleIncremental, SamePixelsAsARenderOfEveryGlyph) {
    const bool withFont = GetParam();
    std::mt19937 rng(withFont ? 7 : 8);
    for (int session = 0; session < 40; ++session) {
        auto a = std::make_unique<DisplayMachine>();
        auto b = std::make_unique<DisplayMachine>();
        if (!withFont) a->m.fonts = b->m.fonts = nullptr;
        for (int op = 0; op < 400; ++op) {
            const uint32_t pick = rng() % 100;
            // The reference forgets what it drew before every render, so it draws every glyph.
            b->m.consoleCache.valid = false;
            if (pick < 60) {
                const uint8_t byte = outputByte(rng);
                a->call(sys_putchar, {byte});
                b->call(sys_putchar, {byte});
            } else if (pick < 70) {
                const uint32_t mask = rng() % 3 == 0 ? rng() & 0xFC : 0;
                a->call(sys_UpdateLCD, {mask});
                b->call(sys_UpdateLCD, {mask});
            } else if (pick < 73) {
                const uint32_t small = rng() % 2;
                a->call(sys_SetScreen, {small});
                b->call(sys_SetScreen, {small});
            } else if (pick < 80) {
                const uint32_t row = rng() % 7, column = rng() % 28;
                a->call(sys_Locate, {row, column});
                b->call(sys_Locate, {row, column});
            } else if (pick < 90) {  // the program draws on the LCD itself
                const uint32_t at = kLcdScreen + rng() % kBitmapSize;
                const uint8_t v = uint8_t(rng());
                a->m.mem[at] = b->m.mem[at] = v;
            } else if (pick < 93) {  // or writes the text buffer directly
                const uint32_t at = kTextBuffer + rng() % 160;
                const uint8_t v = outputByte(rng);
                a->m.mem[at] = b->m.mem[at] = v;
            } else if (pick < 96) {
                a->m.draw.mirror = b->m.draw.mirror = !a->m.draw.mirror;
            } else {  // the staging area and the drawing state changed by other calls
                const uint32_t at = kGlyphStaging + rng() % 32;
                a->m.mem[at] = b->m.mem[at] = uint8_t(rng());
                a->m.draw.mode = b->m.draw.mode = uint8_t(rng() % 16);
            }
            ASSERT_TRUE(sameDisplay(a->m, b->m)) << "session " << session << " op " << op;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, ConsoleIncremental, ::testing::Values(true, false));

// A line of output into an unchanged screen redraws only its own cells: pixels drawn by the
// program elsewhere on the LCD survive a render only when the render knows nothing changed
// there, and otherwise are repaired exactly as before.
TEST(ConsoleIncremental, ForeignPixelsAreRepairedAsBefore) {
    DisplayMachine d;
    for (char ch : std::string("hello\nworld")) d.call(sys_putchar, {uint32_t(uint8_t(ch))});
    const std::vector<uint8_t> before(&d.m.mem[kLcdScreen], &d.m.mem[kLcdScreen] + kBitmapSize);
    d.m.mem[kLcdScreen + 3] ^= 0xFF;  // inside the first cell of "hello"
    d.call(sys_putchar, {uint32_t('!')});
    std::vector<uint8_t> expect(&d.m.mem[kLcdScreen], &d.m.mem[kLcdScreen] + kBitmapSize);
    EXPECT_EQ(expect[3], before[3]);  // the damaged cell was drawn again
}

}  // namespace
}  // namespace corvane::test
