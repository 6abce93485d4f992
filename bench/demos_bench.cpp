// A mixed workload: the bundled demos, each run as the host runs it (batches of instructions,
// a key whenever one is awaited, delays ended at once, a restart when the program ends), with
// the font tables empty (glyphs are drawn as blank cells, at the same cost). Reports the
// instruction rate of each demo. The images are the build's own, or those in the folder that
// CORVANE_DEMO_IMAGES names (so that two builds can be compared on the same images).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "bench/bench_machine.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

namespace corvane {
namespace {

std::string imageFolder() {
    const char* chosen = std::getenv("CORVANE_DEMO_IMAGES");
    return chosen != nullptr && *chosen != 0 ? chosen : CORVANE_BIN_DIR;
}

void BM_Demo(benchmark::State& state, const char* name) {
    bench::BenchMachine machine(std::string("corvane-bench-") + name);
    Machine& m = machine.machine();
    if (!machine.load(bench::readFile(imageFolder() + "/" + name + ".vrn"))) {
        state.SkipWithError("demo image not built");
        return;
    }
    uint64_t executed = 0;
    uint32_t key = 0;
    for (auto _ : state) {
        const RunResult r = run(m, 100'000);
        executed += r.executed;
        switch (r.stop) {
            case RunStop::Budget:
                break;
            case RunStop::Ended:
            case RunStop::Paused:
                machine.restart();
                break;
            case RunStop::Delay:
                m.delayCounter = 0;
                break;
            case RunStop::WaitKey:
                m.keyRegister = uint8_t(0x80 | (++key * 7 % 0x40));
                break;
        }
    }
    state.SetItemsProcessed(int64_t(executed));
}

BENCHMARK_CAPTURE(BM_Demo, showcase, "showcase");
BENCHMARK_CAPTURE(BM_Demo, console, "console");
BENCHMARK_CAPTURE(BM_Demo, draw, "draw");
BENCHMARK_CAPTURE(BM_Demo, snake, "snake");
BENCHMARK_CAPTURE(BM_Demo, clock, "clock");

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
