// The run loop's own cost: instructions per second of a drawing-and-keys program run by the
// host's message loop in real time (App, RunLoop, frames at 60 a second with presentation and
// keyboard scan, the clock read between batches: what corvane-run --realtime and the desktop
// program do) against `run` alone on a bare machine; and the cost of one frame.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "host/app.h"
#include "host/platform.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane {
namespace {

// A game's inner loop: plot a point, draw a short line, poll the keyboard twice, a little
// arithmetic, jump back.
std::vector<uint8_t> drawingAndKeysImage() {
    using namespace op;
    std::vector<uint8_t> image(kImageHeader.begin(), kImageHeader.end());
    // A call and its arguments to a line, which the formatter would pack.
    // clang-format off
    const std::vector<uint8_t> code = {
        PUSH_B, 10, PUSH_B, 20, PUSH_B, 0x41, call::Point,                          // type 0x41
        PUSH_B, 30, PUSH_B, 40, PUSH_B, 37, PUSH_B, 40, PUSH_B, 0x41, call::Line,   // 30,40-37,40
        PUSH_B, 'a', call::CheckKey,
        call::Inkey,
        ADD,
        ADDI, 1, 0,
        PUSH_B, 3, ADD,
        JMP, kImageHeaderSize, 0, 0,                                                // to the top
    };
    // clang-format on
    image.insert(image.end(), code.begin(), code.end());
    return image;
}

// The real-time platform of the runner, reduced to what the loop touches: the monotonic clock,
// batches of the same size, and a keyboard on which the A key goes down and up every frame.
class RealtimePlatform : public Platform {
  public:
    uint64_t nowNs() override {
        return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now() - start_)
                            .count());
    }
    uint64_t batchBudget(uint64_t) override { return 4096; }
    void executed(uint64_t) override {}
    void waitUntil(uint64_t deadlineNs) override {
        std::this_thread::sleep_until(start_ + std::chrono::nanoseconds(deadlineNs));
    }
    LocalTime localTime() override { return {}; }
    void setLocalTime(const LocalTime&) override {}
    bool pollEvent(PlatformEvent&) override { return false; }
    const std::array<uint8_t, 256>& keyboardState() override {
        keys_['A'] ^= 0x80;
        return keys_;
    }
    bool createWindow(const std::string&, int, int,
                      const std::vector<std::pair<int, int>>&) override {
        return true;
    }
    void presentWindow(const RgbImage&) override {}
    void beginDrag(int, int) override {}
    void messageBox(const std::string&) override {}
    std::optional<std::string> openFileDialog(const OpenFileRequest&) override {
        return std::nullopt;
    }
    bool debugConnect(uint32_t) override { return false; }
    void debugSend(uint32_t, uint32_t, uint32_t, const uint8_t*, uint32_t) override {}

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::array<uint8_t, 256> keys_{};
};

// A root folder with the program and an empty font file (blank glyphs are no error).
struct BenchFiles {
    std::filesystem::path dir;
    BenchFiles() {
        std::random_device rd;
        dir = std::filesystem::temp_directory_path() / ("corvane-bench-" + std::to_string(rd()));
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "duzezi.dat", std::ios::binary);
        const std::vector<uint8_t> image = drawingAndKeysImage();
        std::ofstream(dir / "bench.vrn", std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    }
    ~BenchFiles() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    AppSettings settings() const {
        AppSettings s;
        s.paths.root = dir;
        s.paths.configFile = dir / "vorn.ini";
        s.paths.fontFile = dir / "duzezi.dat";
        s.writeConfig = false;
        s.startDir = dir.string();
        return s;
    }
};

class BareHost : public Host {
  public:
    uint64_t nowNs() override { return 0; }
    LocalTime localTime() override { return {}; }
    void setLocalTime(const LocalTime&) override {}
    std::optional<std::string> chooseFile(const std::string&) override { return std::nullopt; }
    void debugSnapshot(uint32_t, const uint8_t*, uint32_t) override {}
    void debugStopNotice(uint32_t) override {}
    void streamWriteFailed(const std::string&) override {}
};

constexpr uint64_t kChunk = 1'000'000;

// `run` alone: the interpreter with no loop around it.
void BM_RunAlone(benchmark::State& state) {
    BareHost host;
    auto m = std::make_unique<Machine>();
    m->host = &host;
    const std::vector<uint8_t> image = drawingAndKeysImage();
    setImage(*m, image.data(), image.size());
    m->programLoaded = true;
    m->paused = false;
    resetMachine(*m);
    uint64_t total = 0;
    for (auto _ : state) {
        RunResult r = run(*m, kChunk);
        total += r.executed;
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(int64_t(total));
}
BENCHMARK(BM_RunAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same program under the host's message loop in real time.
void BM_RunLoopRealtime(benchmark::State& state) {
    BenchFiles files;
    RealtimePlatform platform;
    App app(platform, files.settings());
    Switches s;
    s.image = (files.dir / "bench.vrn").string();
    if (app.startUp(s) != 0) {
        state.SkipWithError("start-up failed");
        return;
    }
    const uint64_t frames0 = app.runLoop().frames();
    const uint64_t start = app.runLoop().instructions();
    const auto wallStart = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const uint64_t target = app.runLoop().instructions() + kChunk;
        while (app.runLoop().instructions() < target) {
            app.dispatchEvents();
            SliceResult r = app.turn();
            if (r.idle != IdleReason::None) platform.waitUntil(r.wakeNs);
        }
    }
    state.SetItemsProcessed(int64_t(app.runLoop().instructions() - start));
    // Frames follow the wall clock (60 a second when the machine keeps up).
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    state.counters["frames_per_wall_s"] = double(app.runLoop().frames() - frames0) / wall;
}
// Compared by CPU time with BM_RunAlone: on a busy machine wall time measures the neighbours.
BENCHMARK(BM_RunLoopRealtime)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One frame as the loop runs it: the LCD presented into the window image and the keyboard
// scanned.
void BM_Frame(benchmark::State& state) {
    BenchFiles files;
    RealtimePlatform platform;
    App app(platform, files.settings());
    Switches s;
    s.image = (files.dir / "bench.vrn").string();
    if (app.startUp(s) != 0) {
        state.SkipWithError("start-up failed");
        return;
    }
    app.turn();  // draw something first
    uint64_t n = 1;
    for (auto _ : state) {
        app.frame(++n, true);
        app.machine().keyRegister = 0;  // keep the scan looking for a key each time
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
