// A fixed amount of a demo's work, for counting host instructions (bench/demo_rounds.sh):
// `rounds` batches of up to 100,000 instructions, driven as demos_bench drives the demos (a key
// whenever one is awaited, delays ended at once, a restart when the program ends), where the
// benchmark's time-bound loop does more work on a faster build. Prints the instructions run.
// It uses only the core's oldest interface, so that it builds against earlier trees too.
// usage: demo_rounds IMAGE ROUNDS
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vm/host.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

using namespace corvane;

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

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: demo_rounds IMAGE ROUNDS\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), {}};
    const long rounds = std::atol(argv[2]);
    QuietHost host;
    auto m = std::make_unique<Machine>();
    m->host = &host;
    // No file root: a demo's file calls fail alike in every build.
    m->rootDir = m->currentDir = "/nonexistent-root/";
    if (setImage(*m, image.data(), image.size()) != ImageStatus::Ok) return 1;
    auto restart = [&] {
        endProgram(*m);
        m->programLoaded = true;
        m->paused = false;
        resetMachine(*m);
    };
    restart();
    uint64_t executed = 0;
    uint32_t key = 0;
    for (long i = 0; i < rounds; ++i) {
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
    std::printf("%llu\n", (unsigned long long)executed);
    return 0;
}
