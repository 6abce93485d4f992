#pragma once
// Runs the bundled demo images in corvane-run, each in a fresh root directory, and compares LCD
// captures with the golden pictures in tests/golden/demos.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/build_paths.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {

struct DemoOutcome {
    int status = -1;  // corvane-run's exit status
    std::string out;
    std::string err;
};

// One run of a demo. The folder holds the root directory ("root") and the captures.
class DemoRun {
  public:
    DemoRun();

    const std::filesystem::path& folder() const { return dir_.path(); }
    std::filesystem::path root() const { return dir_ / "root"; }

    // Runs corvane::test::binDir()/<demo>.vrn with `args` after the image, the root and the real
    // font data file beside the runner.
    DemoOutcome run(const std::string& demo, const std::vector<std::string>& args);

    // The capture file `name` written by a run (--lcd F:name), empty when missing.
    std::string capture(const std::string& name) const;

  private:
    TempDir dir_;
};

// The contents of tests/golden/demos/<name>.pbm; empty when missing.
std::string goldenPicture(const std::string& name);

// Compares a capture with its golden picture. With CORVANE_UPDATE_GOLDENS=1 in the environment
// the golden is written instead. On a mismatch the capture is kept in the build tree and the
// message says where.
::testing::AssertionResult matchesGolden(const std::string& name, const std::string& capture);

// CRC-16 with polynomial 0x1021, register starting at 0, no reflection: the checksum the
// machine's Crc16 gives, computed independently here.
uint16_t crc16Xmodem(const std::string& bytes);

}  // namespace corvane::test
