// Console output as programs make it: putchar of running text (lines of 18 characters, so the
// screen scrolls every few calls), a line of output with a double-byte character, a printf of a
// line that scrolls the screen, and UpdateLCD on a screen that did not change. Each iteration is
// one system call with its render.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "bench/noise_font.h"
#include "display/console.h"
#include "display/fonts.h"
#include "vm/image.h"
#include "vm/machine.h"
#include "vm/memory_map.h"
#include "vm/syscalls.h"

namespace corvane {
namespace {

struct Console {
    std::unique_ptr<Machine> m = std::make_unique<Machine>();
    std::unique_ptr<FontTables> font = noiseFont();
    explicit Console(bool small) {
        resetMachine(*m);
        m->fonts = font.get();
        call(sys_SetScreen, small ? 1 : 0);
    }
    void call(void (*fn)(Machine&), uint32_t arg) {
        m->push(arg);
        fn(*m);
    }
};

const std::string kText = "count 12345 done.\n";

// range(0): 0 large console, 1 small console.
void BM_PutcharRunningText(benchmark::State& state) {
    Console c(state.range(0) != 0);
    size_t k = 0;
    for (auto _ : state) {
        c.call(sys_putchar, uint8_t(kText[k]));
        k = (k + 1) % kText.size();
    }
    benchmark::DoNotOptimize(c.m->mem[kLcdScreen]);
}
BENCHMARK(BM_PutcharRunningText)->Arg(0)->Arg(1);

// A whole line per iteration, one render per character as putchar makes it.
void BM_PutcharLineWithHanzi(benchmark::State& state) {
    Console c(state.range(0) != 0);
    const uint8_t line[] = {'s', 'c', 'o', 'r', 'e', ' ', 0xB0, 0xA1, ' ', '4', '2', '\n'};
    for (auto _ : state) {
        for (uint8_t b : line) c.call(sys_putchar, b);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(sizeof line));
    benchmark::DoNotOptimize(c.m->mem[kLcdScreen]);
}
BENCHMARK(BM_PutcharLineWithHanzi)->Arg(0)->Arg(1);

// printf of a full line on a full screen: every call scrolls, and one render follows it.
void BM_PrintfScrollingLine(benchmark::State& state) {
    Console c(state.range(0) != 0);
    constexpr uint16_t kFormat = kDataArea;
    const char format[] = "line %d of the log\n";
    std::memcpy(&c.m->mem[kFormat], format, sizeof format);
    uint32_t n = 0;
    auto printLine = [&] {
        c.m->push(kFormat);
        c.m->push(n++);
        c.call(sys_printf, 2);
    };
    for (int i = 0; i < 8; ++i) printLine();  // the screen is full: every line scrolls
    for (auto _ : state) printLine();
    benchmark::DoNotOptimize(c.m->mem[kLcdScreen]);
}
BENCHMARK(BM_PrintfScrollingLine)->Arg(0)->Arg(1);

void BM_UpdateLcdUnchanged(benchmark::State& state) {
    Console c(state.range(0) != 0);
    for (char ch : std::string("a full screen of text that does not change between renders"))
        c.call(sys_putchar, uint8_t(ch));
    for (auto _ : state) c.call(sys_UpdateLCD, 0);
    benchmark::DoNotOptimize(c.m->mem[kLcdScreen]);
}
BENCHMARK(BM_UpdateLcdUnchanged)->Arg(0)->Arg(1);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
