// Writes the host could not complete: the program's results stay those of a buffered stream,
// and the host hears of the lost data once, naming the file, when the stream is closed.
//
// The failing stream is the device that is always full: fopen refuses devices to programs, so
// the tests put the stream into a slot themselves, as fopen would have.

#include <cstdio>

#include "files_fixture.h"
#include "library/files.h"
#include "vm/interpreter.h"

namespace corvane::test {
namespace {

constexpr const char* kFullDevice = "/dev/full";

class WriteFailure : public FilesTest {
  protected:
    // A slot holding a stream on the full device, as fopen leaves it; its handle.
    uint32_t openFull(int slot = 0) {
        std::FILE* f = std::fopen(kFullDevice, "wb");
        if (f == nullptr) return 0;
        m.files[slot] = {true, f, kFullDevice, false};
        return kFirstFileHandle + uint32_t(slot);
    }
};

TEST_F(WriteFailure, BufferedWritesSucceedAndTheCloseIsReported) {
    struct Case {
        const char* name;
        void (*end)(WriteFailure&, uint32_t handle);
    };
    const Case cases[] = {
        {"fclose", [](WriteFailure& t, uint32_t h) { t.call(sys_fclose, {h}); }},
        {"end of program", [](WriteFailure& t, uint32_t) { endProgram(t.m); }},
        // rewind would flush and then clear the error: the loss must not vanish with it.
        {"rewind, then fclose",
         [](WriteFailure& t, uint32_t h) {
             t.call(sys_rewind, {h});
             t.call(sys_fclose, {h});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.writeFailures.clear();
        const uint32_t h = openFull();
        ASSERT_NE(h, 0u) << "no " << kFullDevice;
        EXPECT_EQ(write(h, "hello"), 5u);                      // buffered: told success
        EXPECT_EQ(result(sys_putc, {'!', h}), uint32_t('!'));  // likewise
        EXPECT_TRUE(host.writeFailures.empty()) << "nothing is said before the close";
        c.end(*this, h);
        EXPECT_EQ(host.writeFailures, std::vector<std::string>{kFullDevice});
        EXPECT_FALSE(m.files[0].inUse);
        EXPECT_EQ(m.files[0].stream, nullptr);
        EXPECT_TRUE(m.files[0].path.empty());
    }
}

TEST_F(WriteFailure, AWriteTooLargeForTheBufferFailsAndIsReportedOnce) {
    const uint32_t h = openFull();
    ASSERT_NE(h, 0u);
    // Larger than any stream buffer: the host writes at once, fails, and the program is told.
    const std::string big(20000, 'x');
    EXPECT_LT(write(h, big), big.size());
    EXPECT_LT(write(h, big), big.size());  // and again: one report all the same
    call(sys_fclose, {h});
    EXPECT_EQ(host.writeFailures.size(), 1u);
}

TEST_F(WriteFailure, StreamsTheHostWroteOutAreNotReported) {
    // Writing to a file opened for reading is the program's own mistake, told by the result;
    // reading from one opened for writing likewise. Neither loses data.
    writeFile(root / "in.txt", "abc");
    const uint32_t in = open("in.txt", "r");
    const uint32_t out = open("out.txt", "w");
    ASSERT_NE(in, 0u);
    ASSERT_NE(out, 0u);
    EXPECT_EQ(write(in, "zz"), 0u);
    EXPECT_EQ(result(sys_putc, {'z', in}), kTrue);
    EXPECT_EQ(result(sys_getc, {out}), kTrue);
    EXPECT_EQ(write(out, "data"), 4u);
    EXPECT_EQ(result(sys_fseek, {out, uint32_t(-100), 0}), kTrue);  // refused position
    call(sys_fclose, {in});
    call(sys_fclose, {out});
    EXPECT_TRUE(host.writeFailures.empty());
    EXPECT_EQ(readFile(root / "out.txt"), "data");
}

TEST_F(WriteFailure, AReopenedSlotStartsClean) {
    const uint32_t h = openFull(1);
    ASSERT_NE(h, 0u);
    write(h, "lost");
    call(sys_fclose, {h});
    ASSERT_EQ(host.writeFailures.size(), 1u);
    // The same slot now holds an ordinary file: its close says nothing.
    EXPECT_EQ(open("a.txt", "w"), 0x80u);
    EXPECT_EQ(open("b.txt", "w"), 0x81u);
    EXPECT_EQ(write(0x81, "ok"), 2u);
    endProgram(m);
    EXPECT_EQ(host.writeFailures.size(), 1u);
    EXPECT_EQ(readFile(root / "b.txt"), "ok");
}

}  // namespace
}  // namespace corvane::test
