// fopen and fclose, and the slot table they share with the other file calls.

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "library/files.h"
#include "library/memory_walk.h"
#include "library/path.h"
#include "shared/real_path.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

struct ModeEntry {
    const char* program;  // as the program writes it
    const char* host;     // always binary: programs see the bytes of the file as they are
    bool creates;         // the file need not exist yet
};

constexpr ModeEntry kModes[] = {
    {"r", "rb", false}, {"rb", "rb", false}, {"r+", "rb+", false}, {"rb+", "rb+", false},
    {"w", "wb", true},  {"wb", "wb", true},  {"w+", "wb+", true},  {"wb+", "wb+", true},
    {"a", "ab", true},  {"ab", "ab", true},  {"a+", "ab+", true},  {"ab+", "ab+", true},
};

// The mode string at `addr`, matched byte for byte; nullptr when it is none of the twelve.
const ModeEntry* matchMode(const Machine& m, uint32_t addr) {
    std::string mode;
    for (uint32_t i = 0; i < 4; ++i) {
        const uint8_t byte = m.read8(addr + i);
        if (byte == 0) break;
        mode += char(byte);
    }
    for (const ModeEntry& entry : kModes) {
        if (mode == entry.program) return &entry;
    }
    return nullptr;
}

// Opens a host file for a program. Only regular files: on this host a directory opens without
// complaint and a named pipe or device blocks the whole machine. A file that does not exist is
// fine when the mode creates it.
std::FILE* openRegular(const std::string& path, const ModeEntry& mode) {
    std::error_code ec;
    const fs::file_status status = fs::status(hostFsPath(path), ec);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) return nullptr;
    } else if (!mode.creates || !createNewHostFile(path)) {
        return nullptr;
    }
    return openHostFile(path, mode.host);
}

}  // namespace

FileSlot* slotOf(Machine& m, uint32_t handle) {
    const uint32_t index = (handle & 0xFF) - kFirstFileHandle;
    if (index >= uint32_t(kFileSlots) || !m.files[index].inUse) return nullptr;
    return &m.files[index];
}

std::FILE* streamOf(Machine& m, uint32_t handle) {
    FileSlot* slot = slotOf(m, handle);
    return slot != nullptr ? slot->stream : nullptr;
}

void noteWriteFailure(FileSlot& slot, int error) {
    // A stream not open for writing, or a position the host refuses, loses nothing.
    if (error == EBADF || error == EINVAL || error == ESPIPE || error == EOVERFLOW) return;
    slot.writeFailed = true;
}

bool readProgramName(const Machine& m, uint32_t addr, std::string& name) {
    name.clear();
    for (uint32_t i = 0; i <= kMaxPathBytes; ++i) {
        const uint8_t byte = m.read8(addr + i);
        if (byte == 0) return true;
        name += char(byte);
    }
    return false;
}

void sys_fopen(Machine& m) {
    const ModeEntry* mode = matchMode(m, vmAddress(m.pop()));
    const uint32_t nameAddr = vmAddress(m.pop());
    int free = 0;
    while (free < kFileSlots && m.files[free].inUse) ++free;
    std::string name;
    if (mode == nullptr || free == kFileSlots || !readProgramName(m, nameAddr, name)) {
        m.push(0);
        return;
    }
    const auto path = resolveProgramPath(m.rootDir, m.currentDir, name);
    std::FILE* stream = path ? openRegular(*path, *mode) : nullptr;
    if (stream == nullptr) {
        m.push(0);
        return;
    }
    m.files[free].inUse = true;
    m.files[free].stream = stream;
    m.files[free].path = *path;
    m.files[free].writeFailed = false;
    m.files[free].mode = mode->host;
    m.push(kFirstFileHandle + uint32_t(free));
}

void sys_fclose(Machine& m) {
    if (FileSlot* slot = slotOf(m, m.pop())) closeFileSlot(m, *slot);
}

}  // namespace corvane
