// Reading, writing and positioning on the program's open files. Every call removes all of its
// arguments from the operand stack, whether its handle is valid or not.

#include <algorithm>
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
void transfer(Machine& m, Transfer move) {
    std::FILE* stream = streamOf(m, m.pop());
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
        const size_t moved = move(stream, &m.mem[addr], piece);
        done += uint32_t(moved);
        if (moved < piece) break;
        count -= piece;
        addr = (addr + piece) & 0xFFFF;
    }
    m.push(done);
}

}  // namespace

void sys_fread(Machine& m) {
    transfer(m, readInto);
}

void sys_fwrite(Machine& m) {
    transfer(m, writeFrom);
}

void sys_fseek(Machine& m) {
    const uint32_t origin = m.pop() & 0xFF;
    const int32_t offset = int32_t(m.pop());
    std::FILE* stream = streamOf(m, m.pop());
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (stream == nullptr || origin > 2) {
        m.push(kFailure);
        return;
    }
    m.push(std::fseek(stream, long(offset), kWhence[origin]) == 0 ? 0 : kFailure);
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
    if (std::FILE* stream = streamOf(m, m.pop())) std::rewind(stream);
}

void sys_getc(Machine& m) {
    std::FILE* stream = streamOf(m, m.pop());
    const int byte = stream != nullptr ? std::fgetc(stream) : EOF;
    m.push(byte == EOF ? kFailure : uint32_t(byte));
}

void sys_putc(Machine& m) {
    std::FILE* stream = streamOf(m, m.pop());
    const uint32_t character = m.pop() & 0xFF;
    const int written = stream != nullptr ? std::fputc(int(character), stream) : EOF;
    m.push(written == EOF ? kFailure : uint32_t(written));
}

}  // namespace corvane
