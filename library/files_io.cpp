// Reading, writing and positioning on the program's open files. Every call removes all of its
// arguments from the operand stack, whether its handle is valid or not.

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "library/files.h"
#include "library/memory_walk.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

constexpr uint32_t kFalse = 0;
constexpr uint32_t kTrue = 0xFFFFFFFF;
constexpr uint32_t kFailure = 0xFFFFFFFF;

using Transfer = size_t (*)(std::FILE*, uint8_t*, size_t);

size_t readInto(std::FILE* stream, uint8_t* bytes, size_t count) {
    return std::fread(bytes, 1, count, stream);
}

size_t writeFrom(std::FILE* stream, uint8_t* bytes, size_t count) {
    return std::fwrite(bytes, 1, count, stream);
}

// fread and fwrite: handle, count, an ignored argument and the buffer. A range that runs past
// 0xFFFF continues at 0x0000, like every other walk over VmMemory, so it is moved in two pieces.
void transfer(Machine& m, Transfer move, bool writes) {
    FileSlot* slot = slotOf(m, m.pop());
    std::FILE* stream = slot != nullptr ? slot->stream : nullptr;
    if (stream == nullptr) {
        m.osp = uint8_t(m.osp - 12);
        m.push(0);
        return;
    }
    uint32_t count = m.pop() & 0xFFFF;
    m.pop();
    uint32_t addr = vmAddress(m.pop());
    uint32_t done = 0;
    while (count > 0) {
        const uint32_t piece = std::min(count, kVmMemorySize - addr);
        errno = 0;
        const size_t moved = move(stream, &m.mem[addr], piece);
        done += uint32_t(moved);
        if (moved < piece) {
            // A write the host could not finish may also have lost bytes buffered by earlier
            // writes that the program was told had succeeded.
            if (writes) noteWriteFailure(*slot, errno);
            break;
        }
        count -= piece;
        addr = (addr + piece) & 0xFFFF;
    }
    m.push(done);
}

}  // namespace

void sys_fread(Machine& m) {
    transfer(m, readInto, false);
}

void sys_fwrite(Machine& m) {
    transfer(m, writeFrom, true);
}

void sys_fseek(Machine& m) {
    const uint32_t origin = m.pop() & 0xFF;
    const int32_t offset = int32_t(m.pop());
    const uint32_t handle = m.pop();
    std::FILE* stream = streamOf(m, handle);
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (stream == nullptr || origin > 2) {
        m.push(kFailure);
        return;
    }
    // fseek flushes the buffer first; a flush that fails there loses what it held.
    errno = 0;
    const bool moved = std::fseek(stream, long(offset), kWhence[origin]) == 0;
    if (!moved) noteWriteFailure(*slotOf(m, handle), errno);
    m.push(moved ? 0 : kFailure);
}

void sys_ftell(Machine& m) {
    std::FILE* stream = streamOf(m, m.pop());
    const long position = stream != nullptr ? std::ftell(stream) : -1L;
    m.push(uint32_t(position));
}

void sys_feof(Machine& m) {
    std::FILE* stream = streamOf(m, m.pop());
    m.push(stream == nullptr || std::feof(stream) ? kTrue : kFalse);
}

void sys_rewind(Machine& m) {
    FileSlot* slot = slotOf(m, m.pop());
    if (slot == nullptr || slot->stream == nullptr) return;
    // rewind flushes the buffer and then clears the error indicator, so a flush that fails there
    // would vanish without a trace: flush first and remember it.
    errno = 0;
    if (std::fflush(slot->stream) != 0) noteWriteFailure(*slot, errno);
    std::rewind(slot->stream);
}

void sys_getc(Machine& m) {
    std::FILE* stream = streamOf(m, m.pop());
    const int byte = stream != nullptr ? std::fgetc(stream) : EOF;
    m.push(byte == EOF ? kFailure : uint32_t(byte));
}

void sys_putc(Machine& m) {
    FileSlot* slot = slotOf(m, m.pop());
    const uint32_t character = m.pop() & 0xFF;
    if (slot == nullptr || slot->stream == nullptr) {
        m.push(kFailure);
        return;
    }
    errno = 0;
    const int written = std::fputc(int(character), slot->stream);
    if (written == EOF) noteWriteFailure(*slot, errno);
    m.push(written == EOF ? kFailure : uint32_t(written));
}

}  // namespace corvane
