// The file demo writes "note.txt" and counts its runs in "runs.dat" in the root directory; what
// it leaves on disk, and the sizes and CRC-16 it shows of what it read back, are checked here
// against the host's own view of the files.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "library/gb2312.h"
#include "tests/demos/demo_run.h"

namespace corvane::test {
namespace {

// Pages 1 to 3, then FileList on page 4.
const char* kToFileList = "60:space 80:space 100:space";

std::string gb(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(utf8ToGb2312(utf8, out)) << utf8;
    return out;
}

std::string hex4(uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", unsigned(v));
    return buf;
}

// What the demo printed after `marker`, to the end of its output; empty when it never printed
// the marker.
std::string after(const std::string& out, const std::string& marker) {
    const size_t at = out.find(marker);
    return at == std::string::npos ? std::string() : out.substr(at + marker.size());
}

// The console text of each run is copied to the runner's standard output, so what the demo
// computed is checked in what it showed.
TEST(FilesDemo, WritesReadsBackAndCountsItsRuns) {
    DemoRun run;
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        DemoOutcome o = run.run("files", {"--keys", "60:esc", "--stdout"});
        ASSERT_EQ(o.status, 0) << o.err;
        const std::string text = "你好，文件！\r\n这是第" + std::to_string(n) + "次运行。\r\n";
        const std::string note = readText(run.root() / "note.txt");
        EXPECT_EQ(note, gb(text));
        EXPECT_EQ(readText(run.root() / "runs.dat"), std::string(n, 'x'));

        const std::string bytes = std::to_string(note.size());
        EXPECT_EQ(after(o.out, "文件演示\n"), "写 note.txt " + bytes + "字节\n读回 " + bytes +
                                                  "字节\nCRC16 0x" + hex4(crc16Xmodem(note)) +
                                                  " 一致\nruns.dat: " + std::to_string(n) +
                                                  "次运行\n按键继续");
    }
}

TEST(FilesDemo, ChosenFileIsMeasuredAndChecksummed) {
    std::string big;
    for (int i = 0; i < 5000; ++i) big += char(i * 7 + i / 256);
    struct Case {
        const char* label;
        std::string contents;
        size_t read;  // the demo reads at most 4096 bytes
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
                              "--max-frames", "200", "--stdout"});
        EXPECT_EQ(o.status, 2) << o.err;  // waiting on page 4
        const std::string expected = "pick.bin\n大小 " + std::to_string(c.contents.size()) +
                                     "字节\nCRC16 0x" +
                                     hex4(crc16Xmodem(c.contents.substr(0, c.read))) +
                                     (c.read < c.contents.size() ? " (前4096字节)" : "") + "\n";
        EXPECT_EQ(after(o.out, "FileList 选择文件\n").substr(0, expected.size()), expected);
    }
}

TEST(FilesDemo, ChosenFileTextIsCutBetweenCharacters) {
    // Page 4 shows up to 24 bytes of the chosen file as text; a two-byte character that would
    // not fit whole, or whose second byte is not in the file, is left out rather than cut in
    // half.
    struct Case {
        const char* label;
        std::string contents;
        std::string shown;  // as the console shows it, in UTF-8
    };
    const std::string eleven = "一二三四五六七八九十百";  // 22 bytes
    const Case cases[] = {
        {"ASCII", "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuvwx"},
        {"character ends at byte 24", gb(eleven + "千"), eleven + "千"},
        {"character would end at byte 25", "a" + gb(eleven + "千"), "a" + eleven},
        {"stops at a zero byte", std::string("ab\0cd", 5), "ab"},
        {"shorter file", gb("短"), "短"},
        {"first byte of a character ends the file", "ab" + gb("短").substr(0, 1), "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DemoRun run;
        writeText(run.root() / "pick.txt", c.contents);
        DemoOutcome o =
            run.run("files", {"--keys", kToFileList, "--dialog", (run.root() / "pick.txt").string(),
                              "--max-frames", "200", "--stdout"});
        EXPECT_EQ(o.status, 2) << o.err;
        // The text follows the checksum's line; the page ends by asking for a key, as the
        // others do.
        EXPECT_EQ(after(after(o.out, "FileList 选择文件\n"), "CRC16 0x"),
                  hex4(crc16Xmodem(c.contents)) + "\n" + c.shown + "\n按键继续");
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
