// The save-state container and the machine's sections: values round-trip, unknown sections are
// skipped, missing optional ones take their defaults, and damaged files are refused.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "host/machine_state.h"
#include "host/state_file.h"
#include "tests/host/app_test_files.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

std::unique_ptr<Machine> machineWithImage(uint8_t marker) {
    auto m = std::make_unique<Machine>();
    const uint8_t image[] = {'V', 'R', 'N', 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, marker};
    std::memcpy(m->image.get(), image, sizeof image);
    m->imageSize = sizeof image;
    m->rootDir = "/root-a/";
    m->currentDir = "/root-a/sub/";
    return m;
}

TEST(StateFile, SectionsRoundTripAndUnknownOnesAreKept) {
    StateWriter w;
    ByteSink a;
    a.u8(0xAB);
    a.u16(0x1234);
    a.u32(0xDEADBEEF);
    a.u64(0x0102030405060708u);
    a.text("名字");
    w.section("AAAA", a);
    w.section("ZZZZ", ByteSink{});
    const auto parsed = parseStateFile(w.finish());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->version, kStateVersion);
    ASSERT_TRUE(parsed->find("AAAA"));
    EXPECT_TRUE(parsed->find("ZZZZ"));
    EXPECT_FALSE(parsed->find("BBBB"));
    ByteSource s(*parsed->find("AAAA"));
    EXPECT_EQ(s.u8(), 0xAB);
    EXPECT_EQ(s.u16(), 0x1234);
    EXPECT_EQ(s.u32(), 0xDEADBEEFu);
    EXPECT_EQ(s.u64(), 0x0102030405060708u);
    EXPECT_EQ(s.text(), "名字");
    EXPECT_TRUE(s.ok() && s.atEnd());
    EXPECT_EQ(s.u32(), 0u);  // past the end: zeros, and noticed
    EXPECT_FALSE(s.ok());
}

TEST(StateFile, DamagedFilesAreRefused) {
    StateWriter w;
    ByteSink a;
    a.u32(7);
    w.section("AAAA", a);
    const std::vector<uint8_t> good = w.finish();
    std::vector<uint8_t> wrongMagic = good;
    wrongMagic[0] = 'X';
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    std::vector<uint8_t> halfHeader(good.begin(), good.begin() + 16);
    for (const auto& file : {wrongMagic, cut, halfHeader, std::vector<uint8_t>{}})
        EXPECT_FALSE(parseStateFile(file));
}

TEST(MachineState, RoundTripsTheWholeMachineAndRefusesAnotherImage) {
    auto m = machineWithImage(1);
    for (size_t i = 0; i < m->mem.size(); ++i) m->mem[i] = uint8_t(i * 7);
    m->pc = 0x1234;
    m->osp = 12;
    m->argCursor = 8;
    m->fp = 0x6000;
    m->sp = 0x6010;
    m->regA = 1;
    m->regB = 2;
    m->cond = 3;
    m->strPtr = 0x7010;
    m->strKey = 0x55;
    m->waitForKey = 1;
    m->keyRegister = 0x80 | 'a';
    m->randomSeed = 0xCAFEF00D;
    m->delayCounter = 9;
    m->lastDelayNs = 1000;
    m->hostKeys['A'] = 0x80;
    m->draw = {0x18C0, 3, true};
    m->console.cursorColumn = 4;
    m->debug.stopValue = -2;
    m->debug.functionDepth = 2;
    m->debug.functionStack[1] = 77;
    m->programLoaded = true;
    m->paused = false;
    StateTiming timing{42, 5000, 300, int64_t(1'000'000'000'123)};
    const std::vector<uint8_t> file = encodeState(*m, timing, "demo");

    auto n = machineWithImage(1);
    n->rootDir = "/root-b/";  // another root: the current directory follows it
    auto st = std::make_unique<MachineState>();
    ASSERT_EQ(decodeState(file, *n, *st), StateError::None);
    EXPECT_EQ(st->imageName, "demo");
    EXPECT_EQ(st->timing.frames, 42u);
    EXPECT_EQ(st->timing.dateNs, timing.dateNs);
    EXPECT_TRUE(applyState(*n, *st, 10'000).empty());
    EXPECT_TRUE(n->mem == m->mem);
    EXPECT_EQ(n->pc, 0x1234u);
    EXPECT_EQ(n->osp, 12);
    EXPECT_EQ(n->argCursor, 8);
    EXPECT_EQ(n->fp, 0x6000);
    EXPECT_EQ(n->sp, 0x6010);
    EXPECT_EQ(n->regA + n->regB + n->cond, 6u);
    EXPECT_EQ(n->strPtr, 0x7010);
    EXPECT_EQ(n->strKey, 0x55);
    EXPECT_EQ(n->waitForKey, 1);
    EXPECT_EQ(n->keyRegister, 0x80 | 'a');
    EXPECT_EQ(n->randomSeed, 0xCAFEF00Du);
    EXPECT_EQ(n->delayCounter, 9u);
    EXPECT_EQ(n->lastDelayNs, 10'000u - 300);
    EXPECT_EQ(n->hostKeys['A'], 0x80);
    EXPECT_EQ(n->draw.target, 0x18C0);
    EXPECT_TRUE(n->draw.mirror);
    EXPECT_EQ(n->console.cursorColumn, 4);
    EXPECT_EQ(n->debug.stopValue, -2);
    EXPECT_EQ(n->debug.functionStack[1], 77u);
    EXPECT_EQ(n->currentDir, "/root-b/sub/");
    EXPECT_TRUE(n->programLoaded);

    auto other = machineWithImage(2);
    EXPECT_EQ(decodeState(file, *other, *st), StateError::OtherImage);
}

TEST(MachineState, OlderStatesWithoutOptionalSectionsLoad) {
    // A state of only the required sections, as an earlier build could have written it, and one
    // with a section from a later build this one does not know.
    auto m = machineWithImage(1);
    const auto full = parseStateFile(encodeState(*m, {}, "x"));
    ASSERT_TRUE(full);
    StateWriter w;
    for (const char* tag : {"IMAG", "REGS", "MEMO"}) {
        ByteSink s;
        const auto& bytes = *full->find(tag);
        s.raw(bytes.data(), bytes.size());
        w.section(tag, s);
    }
    ByteSink later;
    later.u32(99);
    w.section("LATR", later);
    auto st = std::make_unique<MachineState>();
    EXPECT_EQ(decodeState(w.finish(), *m, *st), StateError::None);
    EXPECT_TRUE(st->files.empty());

    StateWriter missing;
    missing.section("IMAG", ByteSink{});
    EXPECT_EQ(decodeState(missing.finish(), *m, *st), StateError::NotAState);
}

TEST(MachineState, OpenFilesAreReopenedAtTheirPositionsWithoutTruncation) {
    TempDir dir;
    writeText(dir / "w.bin", "0123456789");
    writeText(dir / "r.bin", "abcdef");
    auto m = machineWithImage(1);
    m->rootDir = dir.text();
    m->currentDir = dir.text();
    const char* modes[] = {"wb", "rb"};
    const char* names[] = {"w.bin", "r.bin"};
    for (int i = 0; i < 2; ++i) {
        const std::string path = (dir / names[i]).string();
        std::FILE* f = std::fopen(path.c_str(), i == 0 ? "rb+" : "rb");
        ASSERT_NE(f, nullptr);
        std::fseek(f, 3 + i, SEEK_SET);
        m->files[size_t(i) * 2] = {true, f, path, false, modes[i]};
    }
    const std::vector<uint8_t> file = encodeState(*m, {}, "x");
    auto st = std::make_unique<MachineState>();
    ASSERT_EQ(decodeState(file, *m, *st), StateError::None);
    EXPECT_EQ(st->files[0].path, "w.bin");  // kept relative to the root
    EXPECT_TRUE(applyState(*m, *st, 0).empty());
    ASSERT_TRUE(m->files[0].inUse && m->files[2].inUse);
    EXPECT_FALSE(m->files[1].inUse);
    EXPECT_EQ(std::ftell(m->files[0].stream), 3);
    EXPECT_EQ(std::fgetc(m->files[2].stream), 'e');
    EXPECT_EQ(m->files[0].mode, "wb");
    EXPECT_EQ(m->files[0].path, (dir / "w.bin").string());
    std::fputc('X', m->files[0].stream);
    std::fflush(m->files[0].stream);
    EXPECT_EQ(readText(dir / "w.bin"), "012X456789");

    // One of the files goes while the program has none open (Windows removes no open file).
    for (FileSlot& f : m->files) {
        if (f.inUse) std::fclose(f.stream);
        f.inUse = false;
        f.stream = nullptr;
    }
    std::filesystem::remove(dir / "r.bin");
    const std::vector<std::string> gone = applyState(*m, *st, 0);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0], "r.bin");
    EXPECT_FALSE(m->files[2].inUse);
    for (FileSlot& f : m->files)
        if (f.inUse) std::fclose(f.stream);
}

}  // namespace
}  // namespace corvane::test
