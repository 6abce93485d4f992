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
// And the chosen file's size, the bytes read of it and their checksum.
constexpr size_t kChosenSize = 0x2100 + 0x14;
constexpr size_t kChosenRead = 0x2100 + 0x04;
constexpr size_t kChosenCrc = 0x2100 + 0x1C;

// Pages 1 to 3, then FileList on page 4.
const char* kToFileList = "60:space 80:space 100:space";

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

TEST(FilesDemo, ChosenFileIsMeasuredAndChecksummed) {
    std::string big;
    for (int i = 0; i < 5000; ++i) big += char(i * 7 + i / 256);
    struct Case {
        const char* label;
        std::string contents;
        uint32_t read;  // the demo reads at most 4096 bytes
    };
    const Case cases[] = {
        {"text", "Hello file list\nsecond line\n", 28},
        {"longer than the buffer", big, 4096},
        {"empty", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DemoRun run;
        writeText(run.root() / "pick.bin", c.contents);
        DemoOutcome o =
            run.run("files", {"--keys", kToFileList, "--dialog", (run.root() / "pick.bin").string(),
                              "--max-frames", "200", "--dump-mem", "mem.bin"});
        EXPECT_EQ(o.status, 2) << o.err;  // waiting on page 4
        std::string mem = readText(run.folder() / "mem.bin");
        ASSERT_EQ(mem.size(), 65536u);
        EXPECT_EQ(longAt(mem, kChosenSize), c.contents.size());
        EXPECT_EQ(longAt(mem, kChosenRead), c.read);
        EXPECT_EQ(longAt(mem, kChosenCrc), crc16Xmodem(c.contents.substr(0, c.read)));
    }
}

TEST(FilesDemo, ChosenFileTextIsCutBetweenCharacters) {
    // Page 4 shows up to 24 bytes of the chosen file as text; a two-byte character that would
    // not fit whole is left out rather than cut in half.
    constexpr size_t kShown = 0x2100 + 0x200;
    struct Case {
        const char* label;
        std::string contents;
        std::string shown;
    };
    const std::string eleven = gb("一二三四五六七八九十百");  // 22 bytes
    const Case cases[] = {
        {"ASCII", "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuvwx"},
        {"character ends at byte 24", eleven + gb("千"), eleven + gb("千")},
        {"character would end at byte 25", "a" + eleven + gb("千"), "a" + eleven},
        {"stops at a zero byte", std::string("ab\0cd", 5), "ab"},
        {"shorter file", gb("短"), gb("短")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DemoRun run;
        writeText(run.root() / "pick.txt", c.contents);
        DemoOutcome o =
            run.run("files", {"--keys", kToFileList, "--dialog", (run.root() / "pick.txt").string(),
                              "--max-frames", "200", "--dump-mem", "mem.bin"});
        EXPECT_EQ(o.status, 2) << o.err;
        const std::string mem = readText(run.folder() / "mem.bin");
        ASSERT_EQ(mem.size(), 65536u);
        EXPECT_EQ(std::string(mem.c_str() + kShown), c.shown);
    }
}

TEST(FilesDemo, FileListThatGivesNoFile) {
    // A cancelled dialog, and a file outside the root: FileList gives only its bare name, which
    // names nothing in the program's directory.
    TempDir elsewhere;
    writeText(elsewhere / "far.txt", "far away\n");
    struct Case {
        std::string answer;
        const char* golden;
    };
    const Case cases[] = {
        {"cancel", "files_list_cancelled"},
        {(elsewhere / "far.txt").string(), "files_list_elsewhere"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        DemoRun run;
        DemoOutcome o = run.run("files", {"--keys", kToFileList, "--dialog", c.answer,
                                          "--max-frames", "200", "--lcd", "end.pbm"});
        EXPECT_EQ(o.status, 2) << o.err;
        EXPECT_TRUE(matchesGolden(c.golden, run.capture("end.pbm")));
    }
}

}  // namespace
}  // namespace corvane::test
