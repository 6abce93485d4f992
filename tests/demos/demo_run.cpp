
#include "tests/demos/demo_run.h"
#include "support/build_paths.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

namespace corvane::test {

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

fs::path goldenPath(const std::string& name) {
    return fs::path(corvane::test::sourceDir()) / "tests" / "golden" / "demos" / (name + ".pbm");
}

}  // namespace

DemoRun::DemoRun() {
    fs::create_directories(root());
}

DemoOutcome DemoRun::run(const std::string& demo, const std::vector<std::string>& args) {
    const std::string bin = corvane::test::binDir();
    std::string cmd = "cd " + quoted(folder().string()) + " && env -u CORVANE_HOME " +
                      quoted(bin + "/corvane-run") + " " + quoted(bin + "/" + demo + ".vrn") +
                      " --root root --fonts " + quoted(bin + "/duzezi.dat");
    for (const std::string& a : args) cmd += " " + quoted(a);
    cmd += " >stdout 2>stderr";
    DemoOutcome o;
    int raw = std::system(cmd.c_str());
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = readText(folder() / "stdout");
    o.err = readText(folder() / "stderr");
    return o;
}

std::string DemoRun::capture(const std::string& name) const {
    return fs::exists(folder() / name) ? readText(folder() / name) : std::string();
}

std::string goldenPicture(const std::string& name) {
    fs::path path = goldenPath(name);
    return fs::exists(path) ? readText(path) : std::string();
}

::testing::AssertionResult matchesGolden(const std::string& name, const std::string& capture) {
    if (capture.empty()) return ::testing::AssertionFailure() << "no capture for " << name;
    if (const char* update = std::getenv("CORVANE_UPDATE_GOLDENS"); update && *update == '1') {
        fs::create_directories(goldenPath(name).parent_path());
        writeText(goldenPath(name), capture);
        return ::testing::AssertionSuccess();
    }
    std::string golden = goldenPicture(name);
    if (golden == capture) return ::testing::AssertionSuccess();
    fs::path kept =
        fs::path(corvane::test::binDir()) / ".." / "tests" / "demos-actual" / (name + ".pbm");
    fs::create_directories(kept.parent_path());
    writeText(kept, capture);
    return ::testing::AssertionFailure()
           << (golden.empty() ? "missing golden " : "differs from golden ") << goldenPath(name)
           << "; the capture is kept as " << kept.lexically_normal()
           << " (CORVANE_UPDATE_GOLDENS=1 rewrites the goldens)";
}

uint16_t crc16Xmodem(const std::string& bytes) {
    uint16_t reg = 0;
    for (unsigned char b : bytes) {
        reg ^= uint16_t(b << 8);
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x8000) ? uint16_t((reg << 1) ^ 0x1021) : uint16_t(reg << 1);
    }
    return reg;
}

}  // namespace corvane::test
