// loadFontFile: four tables read back to back from a file of any length.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "display/fonts.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class LoadFontFileTest : public ::testing::Test {
  protected:
    // A file of `size` bytes whose byte n is a pattern that differs between the four tables.
    std::string writeFile(size_t size) {
        const std::string path = (dir_ / "duzezi.dat").string();
        std::vector<uint8_t> bytes(size);
        for (size_t n = 0; n < size; ++n) bytes[n] = patternAt(n);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return path;
        if (size) std::fwrite(bytes.data(), 1, size, f);
        std::fclose(f);
        return path;
    }

    static uint8_t patternAt(size_t n) { return static_cast<uint8_t>(n * 7 + n / 251 + 1); }

    // Byte n of the file as the tables hold it, walking all four in file order.
    static uint8_t tableByte(const FontTables& t, size_t n) {
        if (n < t.smallAscii.size()) return t.smallAscii[n];
        n -= t.smallAscii.size();
        if (n < t.largeAscii.size()) return t.largeAscii[n];
        n -= t.largeAscii.size();
        if (n < t.smallHanzi.size()) return t.smallHanzi[n];
        n -= t.smallHanzi.size();
        return t.largeHanzi[n];
    }

    // Index of the first byte that is not what a file of `fileSize` bytes should give, or -1.
    static long firstMismatch(const FontTables& t, size_t fileSize) {
        for (size_t n = 0; n < kFontFileSize; ++n) {
            const uint8_t want = n < fileSize ? patternAt(n) : 0;
            if (tableByte(t, n) != want) return static_cast<long>(n);
        }
        return -1;
    }

    corvane::test::TempDir temp_{"corvane-fonts"};
    fs::path dir_ = temp_.path();
};

TEST_F(LoadFontFileTest, FilesOfEveryLengthFillTheTablesInFileOrder) {
    // Lengths around each table boundary, an empty file and one longer than the layout.
    const size_t sizes[] = {0,
                            1,
                            kSmallAsciiBytes - 1,
                            kSmallAsciiBytes,
                            kSmallAsciiBytes + 1,
                            kSmallAsciiBytes + kLargeAsciiBytes + 5,
                            kSmallAsciiBytes + kLargeAsciiBytes + kSmallHanziBytes,
                            kFontFileSize - 1,
                            kFontFileSize,
                            kFontFileSize + 1000};
    auto tables = std::make_unique<FontTables>();
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        // Leftovers of an earlier, longer file must not survive into a shorter one.
        tables->largeHanzi.fill(0xEE);
        ASSERT_TRUE(loadFontFile(writeFile(size), *tables));
        EXPECT_EQ(firstMismatch(*tables, size), -1);
    }
}

TEST_F(LoadFontFileTest, MissingFileOrDirectoryIsReportedAndLeavesTablesAlone) {
    auto tables = std::make_unique<FontTables>();
    tables->smallAscii[0] = 0x5A;
    EXPECT_FALSE(loadFontFile((dir_ / "absent.dat").string(), *tables));
    EXPECT_FALSE(loadFontFile(dir_.string(), *tables));
    EXPECT_EQ(tables->smallAscii[0], 0x5A);
}

}  // namespace
}  // namespace corvane
