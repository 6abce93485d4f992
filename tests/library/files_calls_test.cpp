// The file calls on open streams: modes, slots and handles, transfers, positions and bytes, and
// what every call does with an invalid handle.

#include "files_fixture.h"
#include "vm/interpreter.h"

namespace corvane::test {
namespace {

using FileCalls = FilesTest;

// What each accepted mode does to a file holding "abcd" when "XY" is written right after the
// open: unreadable modes, truncation, appending and updating in place all show in the result.
TEST_F(FileCalls, EveryModeOpensWithItsHostMeaning) {
    struct Case {
        const char* mode;
        bool readable;
        const char* after;
    };
    const Case cases[] = {
        {"r", true, "abcd"},     {"rb", true, "abcd"},   {"r+", true, "XYcd"},
        {"rb+", true, "XYcd"},   {"w", false, "XY"},     {"wb", false, "XY"},
        {"w+", true, "XY"},      {"wb+", true, "XY"},    {"a", false, "abcdXY"},
        {"ab", false, "abcdXY"}, {"a+", true, "abcdXY"}, {"ab+", true, "abcdXY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        writeFile(root / "f.bin", "abcd");
        const uint32_t h = open("f.bin", c.mode);
        ASSERT_EQ(h, 0x80u);
        write(h, "XY");
        EXPECT_EQ(result(sys_fseek, {h, 0, 0}), 0u);
        EXPECT_EQ(result(sys_getc, {h}), c.readable ? uint32_t(c.after[0]) : kTrue);
        call(sys_fclose, {h});
        EXPECT_EQ(readFile(root / "f.bin"), c.after);
    }
}

TEST_F(FileCalls, RejectsModesOutsideTheList) {
    writeFile(root / "f.bin", "abcd");
    for (const char* mode : {"rt", "r+b", "wt", "R", "", "rb+ ", "ab++", "x"}) {
        EXPECT_EQ(open("f.bin", mode), 0u) << '"' << mode << '"';
    }
    EXPECT_FALSE(m.files[0].inUse);
    EXPECT_EQ(open("missing.bin", "r"), 0u);
    EXPECT_EQ(open("missing.bin", "r+"), 0u);
    EXPECT_FALSE(fs::exists(root / "missing.bin"));
}

TEST_F(FileCalls, ThreeSlotsAndTheLowestFreeOneIsReused) {
    writeFile(root / "f.bin", "abcd");
    EXPECT_EQ(open("f.bin", "r"), 0x80u);
    EXPECT_EQ(open("f.bin", "r"), 0x81u);
    EXPECT_EQ(open("f.bin", "r"), 0x82u);
    EXPECT_EQ(open("f.bin", "r"), 0u);
    call(sys_fclose, {0xFFFFFF81});  // only the low 8 bits name the handle
    EXPECT_EQ(open("f.bin", "r"), 0x81u);
    call(sys_fclose, {0x81});
    call(sys_fclose, {0x81});  // a second close is harmless
    EXPECT_EQ(open("f.bin", "r"), 0x81u);
}

// Invalid handles never reach the host; each call still removes all its arguments.
TEST_F(FileCalls, InvalidHandlesGiveFailureValues) {
    writeFile(root / "f.bin", "abcd");
    ASSERT_EQ(open("f.bin", "r"), 0x80u);
    call(sys_fclose, {0x80});  // 0x80 is now closed
    for (uint32_t h : {0x00u, 0x7Fu, 0x80u, 0x83u, 0x180u}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(result(sys_fread, {kBufAddr, 0, 4, h}), 0u);
        EXPECT_EQ(result(sys_fwrite, {kBufAddr, 0, 4, h}), 0u);
        EXPECT_EQ(result(sys_fseek, {h, 0, 0}), kTrue);
        EXPECT_EQ(result(sys_ftell, {h}), kTrue);
        EXPECT_EQ(result(sys_feof, {h}), kTrue);
        EXPECT_EQ(result(sys_getc, {h}), kTrue);
        EXPECT_EQ(result(sys_putc, {'x', h}), kTrue);
        call(sys_fclose, {h});
        call(sys_rewind, {h});
    }
    EXPECT_EQ(readFile(root / "f.bin"), "abcd");
}

TEST_F(FileCalls, TransfersUseTheLow16BitsOfTheCountAndWrapTheBuffer) {
    const uint32_t h = open("f.bin", "w+");
    ASSERT_EQ(h, 0x80u);
    putString(0xFFFD, "ABCDE");  // runs on at 0x0000
    EXPECT_EQ(result(sys_fwrite, {0xFFFD, 0, 0x10005, h}), 5u);
    call(sys_rewind, {h});
    EXPECT_EQ(result(sys_fread, {0x12000, 0, 0x10005, h}), 5u);
    EXPECT_EQ(getString(0x2000), "ABCDE");
    call(sys_rewind, {h});
    EXPECT_EQ(result(sys_fread, {0xFFFE, 0, 100, h}), 5u);  // short read at the end
    EXPECT_EQ(std::string({char(m.read8(0xFFFE)), char(m.read8(0xFFFF)), char(m.read8(0)),
                           char(m.read8(1)), char(m.read8(2))}),
              "ABCDE");
    EXPECT_EQ(result(sys_feof, {h}), kTrue);
    call(sys_fclose, {h});
    EXPECT_EQ(readFile(root / "f.bin"), "ABCDE");
}

TEST_F(FileCalls, SeekTellAndEndOfFile) {
    writeFile(root / "f.bin", "0123456789");
    const uint32_t h = open("f.bin", "rb");
    struct Case {
        uint32_t offset, origin, result, position;
    };
    const Case cases[] = {
        {4, 0, 0, 4},
        {3, 1, 0, 7},
        {uint32_t(-2), 2, 0, 8},
        {uint32_t(-1), 0, kTrue, 8},  // before the start: refused, position kept
        {0, 3, kTrue, 8},             // no such origin
        {2, 0x100, 0, 2},             // only the low 8 bits of the origin count
        {20, 0, 0, 20},               // past the end is allowed
    };
    for (const Case& c : cases) {
        EXPECT_EQ(result(sys_fseek, {h, c.offset, c.origin}), c.result) << c.offset;
        EXPECT_EQ(result(sys_ftell, {h}), c.position) << c.offset;
    }
    EXPECT_EQ(result(sys_getc, {h}), kTrue);
    EXPECT_EQ(result(sys_feof, {h}), kTrue);
    call(sys_rewind, {h});
    EXPECT_EQ(result(sys_feof, {h}), 0u);
    EXPECT_EQ(result(sys_getc, {h}), uint32_t('0'));
    EXPECT_EQ(result(sys_ftell, {h}), 1u);
}

TEST_F(FileCalls, PutcWritesTheLowByteAndFailsOnAReadOnlyStream) {
    const uint32_t w = open("f.bin", "wb");
    EXPECT_EQ(result(sys_putc, {0x1FF, w}), 0xFFu);
    EXPECT_EQ(result(sys_putc, {'A', w}), uint32_t('A'));
    call(sys_fclose, {w});
    EXPECT_EQ(readFile(root / "f.bin"),
              "\xFF"
              "A");
    const uint32_t r = open("f.bin", "rb");
    EXPECT_EQ(result(sys_putc, {'B', r}), kTrue);
    EXPECT_EQ(result(sys_getc, {r}), 0xFFu);  // bytes come back unsigned
}

// Buffered output reaches the disk when the program ends, not only at fclose.
TEST_F(FileCalls, EndOfProgramFlushesAndFreesEverySlot) {
    const uint32_t a = open("a.bin", "w");
    const uint32_t b = open("b.bin", "a");
    write(a, "first");
    write(b, "second");
    endProgram(m);
    EXPECT_EQ(readFile(root / "a.bin"), "first");
    EXPECT_EQ(readFile(root / "b.bin"), "second");
    for (const FileSlot& slot : m.files) EXPECT_FALSE(slot.inUse);
    EXPECT_EQ(open("a.bin", "r"), 0x80u);
}

}  // namespace
}  // namespace corvane::test
