// Software floating point on the machine: operations per second of double addition,
// multiplication and division, float multiplication, an int converted to double and a printf
// %g (sprintf of one double), each a compiled C loop of 1,000 operations (bench/float/ops.c).
// items_per_second is the operations per second of the interpreter; the "instructions" counter
// is the machine instructions one operation takes, the loop's own share included (the "loop"
// case, a copy of a double, shows that share).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench_machine.h"
#include "tools/vrncc/compiler.h"

namespace corvane::bench {
namespace {

constexpr int kOperations = 1000;

void BM_Float(benchmark::State& state, int op) {
    CcOptions options;
    options.defines = {{"OP", std::to_string(op)}};
    const CcResult c = compileC({std::string(CORVANE_SOURCE_DIR) + "/bench/float/ops.c"}, options);
    if (!c.ok()) {
        state.SkipWithError(c.diagnostics.c_str());
        return;
    }
    BenchMachine bm("corvane-float-bench");
    if (!bm.load(c.image)) {
        state.SkipWithError("image rejected");
        return;
    }
    Machine& m = bm.machine();
    uint64_t executed = 0;
    for (auto _ : state) {
        bm.restart();
        executed = 0;
        for (;;) {
            const RunResult r = run(m, 10'000'000);
            executed += r.executed;
            if (r.stop != RunStop::Budget) break;
        }
        if (m.faulted) {
            state.SkipWithError("the program faulted");
            return;
        }
    }
    state.counters["instructions"] = double(executed) / kOperations;
    state.counters["image_bytes"] = double(c.image.size());
    state.SetItemsProcessed(int64_t(kOperations) * int64_t(state.iterations()));
}

BENCHMARK_CAPTURE(BM_Float, dadd, 0);
BENCHMARK_CAPTURE(BM_Float, dmul, 1);
BENCHMARK_CAPTURE(BM_Float, ddiv, 2);
BENCHMARK_CAPTURE(BM_Float, fmul, 3);
BENCHMARK_CAPTURE(BM_Float, int_to_double, 4);
BENCHMARK_CAPTURE(BM_Float, printf_g, 5);
BENCHMARK_CAPTURE(BM_Float, loop, 6);

}  // namespace
}  // namespace corvane::bench

BENCHMARK_MAIN();
