// Cost of the display's heaviest calls: a full console render, a full-screen WriteBlock, a
// FillArea of the whole screen and circles of radius 40. Each iteration is one system call
// made as a program makes it, arguments pushed on the operand stack.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "bench/noise_font.h"
#include "display/console.h"
#include "display/fonts.h"
#include "vm/image.h"
#include "vm/machine.h"
#include "vm/memory_map.h"
#include "vm/syscalls.h"

namespace corvane {
namespace {

struct Bench {
    std::unique_ptr<Machine> m = std::make_unique<Machine>();
    std::unique_ptr<FontTables> font = noiseFont();
    Bench() {
        resetMachine(*m);
        m->fonts = font.get();
    }
    void call(void (*fn)(Machine&), std::initializer_list<uint32_t> args) {
        for (uint32_t a : args) m->push(a);
        fn(*m);
    }
};

// Every cell of the console: ASCII with one double-byte character in every fifth cell pair.
void fillConsole(Bench& b, bool small) {
    b.call(sys_SetScreen, {small ? 1u : 0u});
    const int cells = small ? 156 : 100;
    for (int k = 0; k < cells; ++k) {
        const bool hanzi = (k % 10) >= 8;
        b.m->mem[kTextBuffer + k] = hanzi ? uint8_t(0xB0 + k % 7) : uint8_t('A' + k % 26);
    }
}

void BM_ConsoleRenderLarge(benchmark::State& state) {
    Bench b;
    fillConsole(b, false);
    for (auto _ : state) consoleRenderAll(*b.m);
    benchmark::DoNotOptimize(b.m->mem[kLcdScreen]);
}
BENCHMARK(BM_ConsoleRenderLarge);

void BM_ConsoleRenderSmall(benchmark::State& state) {
    Bench b;
    fillConsole(b, true);
    for (auto _ : state) consoleRenderAll(*b.m);
    benchmark::DoNotOptimize(b.m->mem[kLcdScreen]);
}
BENCHMARK(BM_ConsoleRenderSmall);

// type: 0x41 copy, 0x45 xor, 0x61 copy mirrored; the image is the back buffer itself.
void BM_WriteBlockFullScreen(benchmark::State& state) {
    Bench b;
    for (int k = 0; k < kBitmapSize; ++k) b.m->mem[kGraphicsBuffer + k] = uint8_t(k * 37);
    const uint32_t type = uint32_t(state.range(0));
    for (auto _ : state) b.call(sys_WriteBlock, {0, 0, 160, 80, type, kGraphicsBuffer});
    benchmark::DoNotOptimize(b.m->mem[kLcdScreen]);
}
BENCHMARK(BM_WriteBlockFullScreen)->Arg(0x41)->Arg(0x45)->Arg(0x61);

// The fill of an empty screen covers every row; ClearScreen restores it each time.
void BM_FillAreaWholeScreen(benchmark::State& state) {
    Bench b;
    for (auto _ : state) {
        b.call(sys_ClearScreen, {});
        b.call(sys_FillArea, {80, 40, 0x00});
    }
    benchmark::DoNotOptimize(b.m->mem[kGraphicsBuffer]);
}
BENCHMARK(BM_FillAreaWholeScreen);

// Outline (fill 0) and filled (fill 1), in invert mode so repeated calls keep working.
void BM_CircleRadius40(benchmark::State& state) {
    Bench b;
    const uint32_t fill = uint32_t(state.range(0));
    for (auto _ : state) b.call(sys_Circle, {80, 40, 40, fill, 2});
    benchmark::DoNotOptimize(b.m->mem[kLcdScreen]);
}
BENCHMARK(BM_CircleRadius40)->Arg(0)->Arg(1);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
