// Instructions per second of the interpreter on three kinds of inner loop: (a) locals and
// immediates, (b) indexed loads and stores into an array, (c) calls with frames. Each loop runs
// forever; a benchmark iteration is kBudget instructions, executed either by the run loop
// (`run`: decoded code, fused runs) or by the single step (`step` once per instruction), so the
// two are measured on the same images in the same process (`--benchmark_repetitions=5` gives
// the medians of both).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane {
namespace {

constexpr uint64_t kBudget = 1'000'000;

// Emits code bytes after a valid header; addresses are code addresses.
class Emitter {
  public:
    Emitter() : bytes_(kImageHeader.begin(), kImageHeader.end()) {}
    Emitter& op(const char* name) {
        const auto code = opcodeByName(name);
        if (!code) {
            std::fprintf(stderr, "unknown mnemonic %s\n", name);
            std::abort();
        }
        ++instructions_;
        return u8(*code);
    }
    // Instructions emitted so far.
    int instructions() const { return instructions_; }
    Emitter& u8(uint32_t v) {
        bytes_.push_back(uint8_t(v));
        return *this;
    }
    Emitter& u16(uint32_t v) { return u8(v).u8(v >> 8); }
    Emitter& u24(uint32_t v) { return u16(v).u8(v >> 16); }
    Emitter& u32(uint32_t v) { return u16(v).u16(v >> 16); }
    uint32_t here() const { return uint32_t(bytes_.size()); }
    void patch24(uint32_t at, uint32_t v) {
        bytes_[at] = uint8_t(v);
        bytes_[at + 1] = uint8_t(v >> 8);
        bytes_[at + 2] = uint8_t(v >> 16);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
    int instructions_ = 0;
};

// An image and the number of instructions one pass of its inner loop executes.
struct LoopImage {
    std::vector<uint8_t> image;
    int perIteration;
};

// The common prologue: frame stack at 0x3000, a main frame with two long locals at fp+5 (i)
// and fp+9 (sum). Returns the emitter positioned at main's body.
Emitter prologue() {
    Emitter e;
    e.op("SETSP").u16(0x3000);
    const uint32_t main = e.here() + 4 + 1;  // after this CALL and the EXIT below
    e.op("CALL").u24(main);
    e.op("EXIT");
    e.op("ENTER").u16(13).u8(0);
    return e;
}

// i := 0 at `outer`; the body; i := i + 1; loop while i < 30000; then back to `outer`.
template <typename Body>
LoopImage countingLoop(Body body) {
    Emitter e = prologue();
    const uint32_t outer = e.here();
    e.op("ADDRL").u16(5).op("PUSH_B").u8(0).op("ASSIGN").op("POP_COND");
    const uint32_t loop = e.here();
    const int first = e.instructions();
    body(e);
    e.op("ADDRL").u16(5).op("LDL_L").u16(5).op("ADDI").u16(1).op("ASSIGN");
    e.op("LTI").u16(30000).op("POP_COND").op("JNZ").u24(loop);
    const int perIteration = e.instructions() - first;
    e.op("JMP").u24(outer);
    return {e.bytes(), perIteration};
}

// (a) sum := sum + i * 3 on locals.
LoopImage localsLoop() {
    return countingLoop([](Emitter& e) {
        e.op("ADDRL").u16(9).op("LDL_L").u16(9).op("LDL_L").u16(5).op("MULI").u16(3);
        e.op("ADD").op("ASSIGN").op("POP_COND");
    });
}

// (b) table[i & 255] := table[i & 255] + i, a long array at 0x4000.
LoopImage arrayLoop() {
    return countingLoop([](Emitter& e) {
        e.op("LDL_L").u16(5).op("PUSH_W").u16(255).op("AND").op("SHLI").u16(2);
        e.op("REFGX_L").u16(0x4000);
        e.op("LDL_L").u16(5).op("PUSH_W").u16(255).op("AND").op("SHLI").u16(2);
        e.op("LDGX_L").u16(0x4000);
        e.op("LDL_L").u16(5).op("ADD").op("ASSIGN").op("POP_COND");
    });
}

// (c) sum := next(sum), where next(x) returns x + 1 in a frame of its own.
LoopImage callLoop() {
    Emitter e = prologue();
    const uint32_t jumpOver = e.here() + 1;
    e.op("JMP").u24(0);
    const uint32_t next = e.here();
    e.op("ENTER").u16(9).u8(1).op("LDL_L").u16(5).op("ADDI").u16(1).op("RET");
    e.patch24(jumpOver, e.here());
    const uint32_t loop = e.here();
    const int first = e.instructions();
    e.op("ADDRL").u16(9).op("LDL_L").u16(9).op("CALL").u24(next).op("ASSIGN").op("POP_COND");
    e.op("JMP").u24(loop);
    return {e.bytes(), e.instructions() - first + 4};  // plus next's four
}

// How a benchmark executes its instructions.
enum class Engine { RunLoop, SingleStep };

// `budget` single steps, stopping where `run` would (none of the loops ends, pauses or waits).
RunResult stepBudget(Machine& m, uint64_t budget) {
    RunResult r;
    while (r.executed < budget) {
        if (!m.programLoaded) {
            r.stop = RunStop::Ended;
            return r;
        }
        step(m);
        ++r.executed;
    }
    return r;
}

// Reports instructions per second as items, and passes of the inner loop per second (the
// figure the Lua comparison divides by).
void runLoop(benchmark::State& state, const LoopImage& loop, Engine engine) {
    const std::vector<uint8_t>& image = loop.image;
    auto m = std::make_unique<Machine>();
    if (setImage(*m, image.data(), image.size()) != ImageStatus::Ok) std::abort();
    m->programLoaded = true;
    m->paused = false;
    resetMachine(*m);
    uint64_t executed = 0;
    for (auto _ : state) {
        const RunResult r = engine == Engine::RunLoop ? run(*m, kBudget) : stepBudget(*m, kBudget);
        if (r.stop != RunStop::Budget) {
            state.SkipWithError(m->faultReason);
            break;
        }
        executed += r.executed;
    }
    state.SetItemsProcessed(int64_t(executed));
    state.counters["loops_per_second"] =
        benchmark::Counter(double(executed) / loop.perIteration, benchmark::Counter::kIsRate);
}

void BM_LocalsAndImmediates(benchmark::State& state) {
    runLoop(state, localsLoop(), Engine::RunLoop);
}
void BM_IndexedArray(benchmark::State& state) {
    runLoop(state, arrayLoop(), Engine::RunLoop);
}
void BM_CallEnterRet(benchmark::State& state) {
    runLoop(state, callLoop(), Engine::RunLoop);
}
void BM_LocalsAndImmediates_SingleStep(benchmark::State& state) {
    runLoop(state, localsLoop(), Engine::SingleStep);
}
void BM_IndexedArray_SingleStep(benchmark::State& state) {
    runLoop(state, arrayLoop(), Engine::SingleStep);
}
void BM_CallEnterRet_SingleStep(benchmark::State& state) {
    runLoop(state, callLoop(), Engine::SingleStep);
}

BENCHMARK(BM_LocalsAndImmediates);
BENCHMARK(BM_IndexedArray);
BENCHMARK(BM_CallEnterRet);
BENCHMARK(BM_LocalsAndImmediates_SingleStep);
BENCHMARK(BM_IndexedArray_SingleStep);
BENCHMARK(BM_CallEnterRet_SingleStep);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
