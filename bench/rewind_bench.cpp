// The cost of the rewind history: taking a state into it while a program changes its screen,
// its back buffer and a hundred variable bytes between two states, and stepping back
// one state (rebuilding it from its difference, decoding and putting it into the machine). The
// bytes each older state costs are reported as a counter.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/busy_machine.h"
#include "host/machine_state.h"
#include "host/rewind.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {
namespace {

// What a frame of a game changes: the LCD, the back buffer and a hundred bytes of variables.
void playAFrame(Machine& m, uint8_t n) {
    for (size_t i = 0; i < kBitmapSize; ++i) m.mem[kLcdScreen + i] ^= uint8_t(n + i);
    for (size_t i = 0; i < kBitmapSize; ++i) m.mem[0x1000 + i] ^= uint8_t(n * 3 + i);
    for (size_t i = 0; i < 100; ++i) m.mem[0x2100 + i] += 1;
    m.pc += 17;
}

void BM_RewindTakeState(benchmark::State& state) {
    auto m = busyMachine();
    RewindRing ring;
    uint8_t n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        playAFrame(*m, ++n);
        state.ResumeTiming();
        ring.push(encodeState(*m, {}, std::string()));
    }
    state.counters["history_bytes"] = double(ring.bytes());
    state.counters["states"] = double(ring.count());
    if (ring.count() > 1)
        state.counters["bytes_per_older_state"] =
            double(ring.bytes() - 68'000) / double(ring.count() - 1);
}
BENCHMARK(BM_RewindTakeState)->Unit(benchmark::kMicrosecond);

void BM_RewindStepBack(benchmark::State& state) {
    auto m = busyMachine();
    RewindRing ring;
    auto decoded = std::make_unique<MachineState>();
    std::vector<uint8_t> bytes;
    uint8_t n = 0;
    for (auto _ : state) {
        if (ring.count() == 0) {
            state.PauseTiming();
            for (int i = 0; i < 100; ++i) {
                playAFrame(*m, ++n);
                ring.push(encodeState(*m, {}, std::string()));
            }
            state.ResumeTiming();
        }
        ring.pop(bytes);
        if (decodeState(bytes, *m, *decoded) != StateError::None) state.SkipWithError("refused");
        benchmark::DoNotOptimize(applyState(*m, *decoded, 0));
    }
}
BENCHMARK(BM_RewindStepBack)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
