#include "fuzz_support.h"

#include <sanitizer/common_interface_defs.h>
#include <stdlib.h>  // mkdtemp
#include <unistd.h>  // access

#include <cstdio>
#include <system_error>
#include <vector>

#include "vm/interpreter.h"

#ifndef CORVANE_BIN_DIR
#define CORVANE_BIN_DIR "."
#endif

namespace corvane::fuzz {
namespace fs = std::filesystem;

namespace {

// Folders to remove when a sanitizer ends the process, which skips every destructor.
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
    static const bool registered = [] {
        __sanitizer_set_death_callback(removeLiveScratchDirs);
        return true;
    }();
    (void)registered;
    std::string pattern = (scratchParent() / (std::string("corvane-fuzz-") + tag + "-XXXXXX"));
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
