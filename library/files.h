#pragma once
// The program's open files: three slots of buffered host streams, reached through the handles
// 0x80-0x82. Shared by the file system calls.

#include <cstdint>
#include <cstdio>
#include <string>

namespace corvane {

struct Machine;
struct FileSlot;

constexpr uint32_t kFirstFileHandle = 0x80;

// The stream behind a handle argument, or nullptr when the handle is invalid: only the low
// 8 bits count, and they must name a slot that is in use.
std::FILE* streamOf(Machine& m, uint32_t handle);

// The slot behind a handle argument, or nullptr when the handle is invalid (as streamOf).
FileSlot* slotOf(Machine& m, uint32_t handle);

// After a write, flush or seek on `slot` that did not complete: notes data loss when the host
// failed to write (a full disk, a size limit, an I/O error), not when the stream simply is not
// open for writing or the position was refused. `error` is errno as the failed call left it.
void noteWriteFailure(FileSlot& slot, int error);

// Reads the zero-terminated name at the VM address `addr` (wrapping at 0xFFFF). Fails when no
// terminator comes within the 260-byte name buffer.
bool readProgramName(const Machine& m, uint32_t addr, std::string& name);

}  // namespace corvane
