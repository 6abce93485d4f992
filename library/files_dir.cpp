// ChDir and FileList: the program's current directory and the host's file chooser.
// The current directory lives only in the Machine; the process's own working directory never
// moves, so several machines (and the host) can resolve paths side by side.

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "library/files.h"
#include "library/gb2312.h"
#include "library/memory_walk.h"
#include "library/path.h"
#include "shared/real_path.h"
#include "vm/host.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kTrue = 0xFFFFFFFF;

// The bare name, in GB2312, of the file the user chose, or nothing when the choice does not
// count: cancelled, not a regular file (a pipe would block the machine), unreadable, or a name
// that GB2312 cannot spell.
std::optional<std::string> chosenName(Machine& m) {
    if (m.host == nullptr) return std::nullopt;
    const std::optional<std::string> chosen = m.host->chooseFile(m.currentDir);
    if (!chosen) return std::nullopt;
    std::error_code ec;
    if (!fs::is_regular_file(hostFsPath(*chosen), ec)) return std::nullopt;
    std::FILE* probe = openHostFile(*chosen, "rb");
    if (probe == nullptr) return std::nullopt;
    std::fclose(probe);
    std::string name;
    const std::u8string bare = hostFsPath(*chosen).filename().u8string();
    if (!utf8ToGb2312(std::string(bare.begin(), bare.end()), name) || name.empty() ||
        name.size() > kMaxPathBytes) {
        return std::nullopt;
    }
    return name;
}

}  // namespace

void sys_ChDir(Machine& m) {
    std::string name;
    if (!readProgramName(m, vmAddress(m.pop()), name)) {
        m.push(0);
        return;
    }
    std::optional<std::string> path = resolveProgramPath(m.rootDir, m.currentDir, name);
    std::error_code ec;
    if (!path || !fs::is_directory(hostFsPath(*path), ec)) {
        m.push(0);
        return;
    }
    if (path->back() != kHostSeparator) *path += kHostSeparator;
    if (path->size() > kMaxPathBytes) {
        m.push(0);
        return;
    }
    m.currentDir = std::move(*path);
    m.push(kTrue);
}

void sys_FileList(Machine& m) {
    const std::optional<std::string> name = chosenName(m);
    const uint32_t dest = vmAddress(m.pop());
    if (!name) {
        m.write8(dest, 0);
        m.push(0);
        return;
    }
    // The name and its terminator wrap at 0xFFFF like every other write to VmMemory.
    for (size_t i = 0; i < name->size(); ++i) m.write8(dest + uint32_t(i), uint8_t((*name)[i]));
    m.write8(dest + uint32_t(name->size()), 0);
    m.push(kTrue);
}

}  // namespace corvane
