#pragma once
// A machine with a program image loaded, as the benchmarks and the fused-run profile run their
// programs: a host whose clock moves a millisecond at every reading and that reaches nothing
// outside, a file root of its own in the temporary folder (removed again with the machine), and
// a restart that begins the program anew as the host's reset does.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "vm/host.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

namespace corvane::bench {

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

// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BenchMachine {
  public:
    // `rootName`: the name of its file root in the temporary folder.
    explicit BenchMachine(const std::string& rootName)
        : m(std::make_unique<Machine>()), root(std::filesystem::temp_directory_path() / rootName) {
        m->host = &host;
        std::filesystem::create_directories(root);
        m->rootDir = m->currentDir = root.string() + "/";
    }
    ~BenchMachine() {
        endProgram(*m);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    BenchMachine(const BenchMachine&) = delete;
    BenchMachine& operator=(const BenchMachine&) = delete;

    // Loads `image` and starts it; false when the image is not a program.
    bool load(const std::vector<uint8_t>& image) {
        if (setImage(*m, image.data(), image.size()) != ImageStatus::Ok) return false;
        restart();
        return true;
    }
    // Ends the program and starts it again from its first instruction.
    void restart() {
        endProgram(*m);
        m->programLoaded = true;
        m->paused = false;
        resetMachine(*m);
    }

    Machine& machine() { return *m; }

  private:
    QuietHost host;
    std::unique_ptr<Machine> m;
    std::filesystem::path root;
};

}  // namespace corvane::bench
