#include "fuzz_support.h"

#include <signal.h>  // kill
#include <stdlib.h>  // mkdtemp
#include <unistd.h>  // access

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "vm/interpreter.h"

#ifndef CORVANE_BIN_DIR
#define CORVANE_BIN_DIR "."
#endif

namespace corvane::fuzz {
namespace fs = std::filesystem;

namespace {

// Folders this process made and still has: removed at exit, which runs no static destructor
// of the sessions the targets keep.
std::vector<fs::path>& liveScratchDirs() {
    static std::vector<fs::path>* dirs = new std::vector<fs::path>;  // outlives static destructors
    return *dirs;
}

void removeLiveScratchDirs() {
    for (const fs::path& dir : liveScratchDirs()) {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    liveScratchDirs().clear();
}

constexpr const char* kPrefix = "corvane-fuzz-";

fs::path scratchParent();

// Removes scratch folders ("corvane-fuzz-<pid>-...") whose process no longer runs.
void removeOrphans() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(scratchParent(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kPrefix, 0) != 0) continue;
        const long pid = std::strtol(name.c_str() + std::strlen(kPrefix), nullptr, 10);
        if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)) {
            std::error_code ignored;
            fs::remove_all(entry.path(), ignored);
        }
    }
}

fs::path scratchParent() {
    if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    return ec ? fs::path("/tmp") : tmp;
}

}  // namespace

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "corvane fuzz: %s\n%s\n", what, detail.c_str());
    std::fflush(stderr);
    removeLiveScratchDirs();
    __builtin_trap();
}

ScratchDir::ScratchDir(const char* tag) {
    // The targets keep their sessions for the life of the process, so these folders go when
    // the fuzzer exits. A fuzzer that ended on a finding or a hang skips exit handlers: the
    // folders of processes that are gone are removed by the next one.
    static const bool registered = [] {
        std::atexit(removeLiveScratchDirs);
        removeOrphans();
        return true;
    }();
    (void)registered;
    std::string pattern = (scratchParent() / (std::string(kPrefix) + std::to_string(::getpid()) +
                                              "-" + tag + "-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) fail("cannot make a scratch folder", pattern);
    path_ = pattern;
    liveScratchDirs().push_back(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
    auto& dirs = liveScratchDirs();
    std::erase(dirs, path_);
}

const FontTables* fonts() {
    static const FontTables* tables = [] {
        auto* t = new FontTables;  // kept for the life of the process, like the host's own
        if (loadFontFile(CORVANE_BIN_DIR "/duzezi.dat", *t))
            return static_cast<const FontTables*>(t);
        std::fprintf(stderr, "corvane fuzz: no font data file in %s; text draws blank\n",
                     CORVANE_BIN_DIR);
        delete t;
        return static_cast<const FontTables*>(nullptr);
    }();
    return tables;
}

ReusedMachine::ReusedMachine() : machine_(std::make_unique<Machine>()) {}

Machine& ReusedMachine::fresh(Host* host, const std::string& rootDir) {
    Machine& m = *machine_;
    // Streams a previous input left open are closed as the end of a program closes them.
    endProgram(m);
    m.mem.fill(0);
    m.pc = 0;
    m.osp = 0;
    m.argCursor = 0;
    m.fp = 0;
    m.sp = 0;
    m.regA = m.regB = m.cond = 0;
    m.strPtr = 0;
    m.strKey = 0;
    m.waitForKey = 0;
    m.keyRegister = 0;
    m.randomSeed = 0;
    m.delayCounter = 0;
    m.lastDelayNs = 0;
    m.hostKeys.fill(0);
    m.programLoaded = false;
    m.paused = true;
    m.stopRun = false;
    m.faulted = false;
    m.faultReason[0] = '\0';
    // The image buffer keeps its bytes and its size: the next setImage clears what lies beyond
    // the new image, so the buffer reads as if it had just been made.
    m.draw = DrawState{};
    m.console = ConsoleState{};
    m.bitReverse.fill(0);
    m.fonts = fonts();
    for (FileSlot& slot : m.files) slot = FileSlot{};
    m.rootDir = rootDir;
    m.currentDir = rootDir;
    m.debug = DebugState{};
    m.host = host;
    return m;
}

}  // namespace corvane::fuzz
