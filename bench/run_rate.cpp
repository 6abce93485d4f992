// The run loop's own rate on one program, with nothing of the host around it: the image runs
// to its end in calls of `run` with the host's slice as budget, five times over, and the best
// and median rates (instructions per second of wall-clock time) are printed. Plain C++ with no
// benchmark library, so that the web build compiles it too and node runs it under the same
// WebAssembly engine as the browser: the two figures compare the interpreter alone. Each run is
// printed: WebAssembly starts in the engine's quick compiler, and the later runs show the rate
// once the run loop has been compiled well.
// usage: run_rate <image.vrn> [slice instructions, 4096 as the host's] [repeats, 5]

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_machine.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

int main(int argc, char** argv) {
    using namespace corvane;
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s <image.vrn> [slice] [repeats]\n", argv[0]);
        return 2;
    }
    const std::vector<uint8_t> image = bench::readFile(argv[1]);
    const uint64_t slice = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 4096;
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 5;
    if (slice == 0 || repeats <= 0) {
        std::fprintf(stderr, "run_rate: the slice and the repeats must be positive\n");
        return 2;
    }
    bench::BenchMachine bm("corvane-run-rate");
    if (!bm.load(image)) {
        std::fprintf(stderr, "run_rate: %s is not a program image\n", argv[1]);
        return 1;
    }
    std::vector<double> rates;
    uint64_t executed = 0;
    for (int r = 0; r < repeats; ++r) {
        bm.restart();
        executed = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (;;) {
            const RunResult ran = run(bm.machine(), slice);
            executed += ran.executed;
            if (ran.stop != RunStop::Budget) break;
        }
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        rates.push_back(double(executed) / s);
        std::printf("run %d: %.3f s, %.1f M/s\n", r + 1, s, double(executed) / s / 1e6);
    }
    std::sort(rates.begin(), rates.end());
    std::printf("%llu instructions a run, slice %llu: best %.1f M/s, median %.1f M/s\n",
                static_cast<unsigned long long>(executed), static_cast<unsigned long long>(slice),
                rates.back() / 1e6, rates[rates.size() / 2] / 1e6);
    return 0;
}
