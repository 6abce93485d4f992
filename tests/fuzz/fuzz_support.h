#pragma once
// What the fuzz targets share: a scratch folder that is removed when the fuzzer ends, the font
// tables read once per process, a Host without side effects, and a machine that starts every input
// from the same state without allocating.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "display/fonts.h"
#include "vm/host.h"
#include "vm/machine.h"

namespace corvane::fuzz {

// Stops the fuzzer with a message: libFuzzer records the input that led here.
[[noreturn]] void fail(const char* what, const std::string& detail = {});

// A fresh folder (in /dev/shm when it is writable, else the temporary folder) removed on
// destruction or at exit; after a crash, by the next fuzz target that starts.
class ScratchDir {
  public:
    explicit ScratchDir(const char* tag);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The font tables of the build's font data file, read on first use; null when the file is missing
// (text then draws blank glyphs, which still runs every path of the text calls).
const FontTables* fonts();

// A host whose clock moves only when told and that keeps nothing it is given. The file chooser
// answers with `chooserAnswer` (nothing: cancelled).
class QuietHost : public Host {
  public:
    uint64_t now = 1'000'000'000;
    LocalTime time;
    std::optional<std::string> chooserAnswer;

    uint64_t nowNs() override { return now; }
    LocalTime localTime() override { return time; }
    void setLocalTime(const LocalTime& t) override { time = t; }
    std::optional<std::string> chooseFile(const std::string&) override { return chooserAnswer; }
    void debugSnapshot(uint32_t, const uint8_t*, uint32_t) override {}
    void debugStopNotice(uint32_t) override {}
    void streamWriteFailed(const std::string&) override {}
};

// One machine for the whole process. `fresh` puts it back into the state a newly constructed
// machine has, keeping its image buffer: constructing a machine per input would clear and
// hand back half a megabyte each time, which dominated the short runs the fuzzer makes.
class ReusedMachine {
  public:
    ReusedMachine();
    Machine& fresh(Host* host, const std::string& rootDir);
    Machine& machine() { return *machine_; }

  private:
    std::unique_ptr<Machine> machine_;
};

}  // namespace corvane::fuzz
