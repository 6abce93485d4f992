// The cost of one frame of the run loop: presenting the LCD into the window image and scanning
// the keyboard, separately and together.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "host/window.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {
namespace {

// A screen with content on every row, so no byte is trivially zero.
void fillScreen(Machine& m) {
    for (int i = 0; i < kBitmapSize; ++i) m.mem[kLcdScreen + i] = uint8_t(i * 37 + 11);
}

void BM_Present(benchmark::State& state) {
    Machine m;
    fillScreen(m);
    Lcd lcd;
    lcd.setInterlaced(state.range(0) != 0);
    RgbImage window(kWindowWidth, kWindowHeight);
    for (auto _ : state) {
        lcd.present(m, window);
        benchmark::DoNotOptimize(window.rgb.data());
    }
}
BENCHMARK(BM_Present)->Arg(0)->Arg(1);

void BM_Scan(benchmark::State& state) {
    Machine m;
    Skin skin;
    std::array<uint8_t, 256> keys{};
    uint8_t k = 'A';
    for (auto _ : state) {
        // One key goes down each frame and the program takes it, as in a typing burst.
        keys.fill(0);
        keys[k] = 0x80;
        k = k == 'Z' ? 'A' : uint8_t(k + 1);
        skin.scan(m, keys);
        m.keyRegister &= 0x7F;
        benchmark::DoNotOptimize(m.keyRegister);
    }
}
BENCHMARK(BM_Scan);

void BM_Frame(benchmark::State& state) {
    Machine m;
    fillScreen(m);
    Window window;
    window.paint(m, 1);
    std::array<uint8_t, 256> keys{};
    for (auto _ : state) {
        window.frame(m);
        window.skin().scan(m, keys);
        benchmark::DoNotOptimize(window.image().rgb.data());
    }
}
BENCHMARK(BM_Frame);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
