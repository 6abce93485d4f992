// A mixed workload: the bundled demos, each run as the host runs it (batches of instructions,
// a key whenever one is awaited, delays ended at once, a restart when the program ends), with
// the font tables empty (glyphs are drawn as blank cells, at the same cost). Reports the
// instruction rate of each demo.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "vm/host.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

namespace corvane {
namespace {

// A host whose clock moves a millisecond at every reading; nothing else reaches outside.
class QuietHost : public Host {
  public:
    uint64_t nowNs() override { return now += 1'000'000; }
    LocalTime localTime() override { return {}; }
    void setLocalTime(const LocalTime&) override {}
    std::optional<std::string> chooseFile(const std::string&) override { return std::nullopt; }
    void debugSnapshot(uint32_t, const uint8_t*, uint32_t) override {}
    void debugStopNotice(uint32_t) override {}
    void streamWriteFailed(const std::string&) override {}

  private:
    uint64_t now = 0;
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void BM_Demo(benchmark::State& state, const char* name) {
    const std::vector<uint8_t> image = readFile(std::string(CORVANE_BIN_DIR) + "/" + name + ".vrn");
    QuietHost host;
    auto m = std::make_unique<Machine>();
    m->host = &host;
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("corvane-bench-" + std::string(name));
    std::filesystem::create_directories(root);
    m->rootDir = root.string() + "/";
    if (setImage(*m, image.data(), image.size()) != ImageStatus::Ok) {
        state.SkipWithError("demo image not built");
        return;
    }
    auto restart = [&] {
        endProgram(*m);
        m->programLoaded = true;
        m->paused = false;
        resetMachine(*m);
    };
    restart();
    uint64_t executed = 0;
    uint32_t key = 0;
    for (auto _ : state) {
        const RunResult r = run(*m, 100'000);
        executed += r.executed;
        switch (r.stop) {
            case RunStop::Budget:
                break;
            case RunStop::Ended:
            case RunStop::Paused:
                restart();
                break;
            case RunStop::Delay:
                m->delayCounter = 0;
                break;
            case RunStop::WaitKey:
                m->keyRegister = uint8_t(0x80 | (++key * 7 % 0x40));
                break;
        }
    }
    state.SetItemsProcessed(int64_t(executed));
    endProgram(*m);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}

BENCHMARK_CAPTURE(BM_Demo, showcase, "showcase");
BENCHMARK_CAPTURE(BM_Demo, console, "console");
BENCHMARK_CAPTURE(BM_Demo, draw, "draw");
BENCHMARK_CAPTURE(BM_Demo, snake, "snake");
BENCHMARK_CAPTURE(BM_Demo, clock, "clock");

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
