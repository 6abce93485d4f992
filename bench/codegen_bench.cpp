// The code vrncc generates against code written by hand: each program in bench/codegen is
// there twice, as C (NAME.c) and as assembly doing the same work (NAME.s). A benchmark run
// executes the compiled image to its end; the counters give the instructions each version
// executes and their ratio (C / hand-written), the figure the peephole stage works to lower.
// Both versions must end with the same result, or the benchmark reports an error. The C version
// is also compiled with -fcheck: its counters give what the checks cost in instructions
// executed and in image bytes, and it must end with the same result too.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/vrnasm/assembler.h"
#include "tools/vrncc/compiler.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {
namespace {

const std::string kPrograms = std::string(CORVANE_SOURCE_DIR) + "/bench/codegen/";

struct Outcome {
    uint64_t executed = 0;
    int result = -1;  // the value left on the operand stack for EXIT; -1 if it did not end
};

Outcome runToEnd(Machine& m, const std::vector<uint8_t>& image) {
    Outcome o;
    if (setImage(m, image.data(), image.size()) != ImageStatus::Ok) return o;
    m.programLoaded = true;
    m.paused = false;
    resetMachine(m);
    for (int slices = 0; slices < 1000; ++slices) {
        const RunResult r = run(m, 1'000'000);
        o.executed += r.executed;
        if (r.stop == RunStop::Ended) {
            if (!m.faulted) o.result = m.mem[kOperandRing + uint8_t(m.osp - 4)];
            return o;
        }
        if (r.stop != RunStop::Budget) return o;
    }
    return o;
}

void BM_Generated(benchmark::State& state, const char* name) {
    const CcResult c = compileC({kPrograms + name + ".c"});
    CcOptions checkedOptions;
    checkedOptions.check = true;
    const CcResult k = compileC({kPrograms + name + ".c"}, checkedOptions);
    const AsmResult s = assembleFile(kPrograms + name + ".s");
    if (!c.ok() || !k.ok() || !s.ok()) {
        state.SkipWithError((c.diagnostics + k.diagnostics + s.errorText()).c_str());
        return;
    }
    auto m = std::make_unique<Machine>();
    const Outcome hand = runToEnd(*m, s.image);
    const Outcome checked = runToEnd(*m, k.image);
    Outcome compiled;
    for (auto _ : state) compiled = runToEnd(*m, c.image);
    if (compiled.result < 0 || compiled.result != hand.result || checked.result != hand.result) {
        state.SkipWithError("the compiled and the hand-written program end differently");
        return;
    }
    state.counters["checked_instructions"] = double(checked.executed);
    state.counters["checked_cost"] = double(checked.executed) / double(compiled.executed);
    state.counters["image_bytes"] = double(c.image.size());
    state.counters["checked_image_bytes"] = double(k.image.size());
    state.counters["c_instructions"] = double(compiled.executed);
    state.counters["asm_instructions"] = double(hand.executed);
    state.counters["ratio"] = double(compiled.executed) / double(hand.executed);
    state.SetItemsProcessed(int64_t(compiled.executed) * int64_t(state.iterations()));
}

BENCHMARK_CAPTURE(BM_Generated, sum, "sum");
BENCHMARK_CAPTURE(BM_Generated, array, "array");
BENCHMARK_CAPTURE(BM_Generated, fib, "fib");
BENCHMARK_CAPTURE(BM_Generated, bytes, "bytes");
BENCHMARK_CAPTURE(BM_Generated, count3, "count3");
BENCHMARK_CAPTURE(BM_Generated, index, "index");
BENCHMARK_CAPTURE(BM_Generated, walk, "walk");
BENCHMARK_CAPTURE(BM_Generated, cases, "cases");

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
