// The file demo writes "note.txt" and counts its runs in "runs.dat" in the root directory; what
// it leaves on disk, and the CRC-16 it computes of what it read back, are checked here against
// the host's own view of the files.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "library/gb2312.h"
#include "tests/demos/demo_run.h"

namespace corvane::test {
namespace {

// Where the demo keeps the checksums of the text it wrote and of the bytes it read back.
constexpr size_t kCrcWritten = 0x2100 + 0x0C;
constexpr size_t kCrcRead = 0x2100 + 0x10;

std::string gb(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(utf8ToGb2312(utf8, out)) << utf8;
    return out;
}

uint32_t longAt(const std::string& mem, size_t at) {
    return uint8_t(mem[at]) | uint8_t(mem[at + 1]) << 8 | uint8_t(mem[at + 2]) << 16 |
           uint32_t(uint8_t(mem[at + 3])) << 24;
}

TEST(FilesDemo, WritesReadsBackAndCountsItsRuns) {
    DemoRun run;
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        DemoOutcome o = run.run("files", {"--keys", "60:esc", "--dump-mem", "mem.bin"});
        ASSERT_EQ(o.status, 0) << o.err;
        std::string note = readText(run.root() / "note.txt");
        EXPECT_EQ(note, gb("你好，文件！\r\n这是第" + std::to_string(n) + "次运行。\r\n"));
        EXPECT_EQ(readText(run.root() / "runs.dat"), std::string(n, 'x'));

        std::string mem = readText(run.folder() / "mem.bin");
        ASSERT_EQ(mem.size(), 65536u);
        EXPECT_EQ(longAt(mem, kCrcWritten), crc16Xmodem(note));
        EXPECT_EQ(longAt(mem, kCrcRead), crc16Xmodem(note));
    }
}

}  // namespace
}  // namespace corvane::test
