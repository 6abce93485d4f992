// The cost of a save state: encoding a machine with a full memory and an open file, decoding and
// checking it, and putting it back; the size of the file is reported as a counter.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "bench/busy_machine.h"
#include "host/machine_state.h"
#include "vm/machine.h"

namespace corvane {
namespace {

// A busy machine running inside sixteen functions.
std::unique_ptr<Machine> runningMachine() {
    auto m = busyMachine();
    m->paused = false;
    m->debug.functionDepth = 16;
    return m;
}

void BM_StateSave(benchmark::State& state) {
    auto m = runningMachine();
    size_t size = 0;
    for (auto _ : state) {
        std::vector<uint8_t> file = encodeState(*m, {}, "bench");
        size = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_StateSave)->Unit(benchmark::kMicrosecond);

void BM_StateLoad(benchmark::State& state) {
    auto m = runningMachine();
    const std::vector<uint8_t> file = encodeState(*m, {}, "bench");
    auto decoded = std::make_unique<MachineState>();
    for (auto _ : state) {
        if (decodeState(file, *m, *decoded) != StateError::None) state.SkipWithError("refused");
        benchmark::DoNotOptimize(applyState(*m, *decoded, 0));
    }
}
BENCHMARK(BM_StateLoad)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
