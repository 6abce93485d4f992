// The font data file the build renders: layout, coverage and placement of its glyphs.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "display/fonts.h"
#include "support/build_paths.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

const std::string kFontFile = std::string(corvane::test::binDir()) + "/duzezi.dat";
const std::string kMkfont = std::string(corvane::test::binDir()) + "/mkfont";

// A glyph as rows of pixels, whatever the table's row format.
struct Glyph {
    int width = 0;
    int height = 0;
    std::vector<std::vector<bool>> ink;

    bool blank() const {
        for (const auto& row : ink)
            for (bool p : row)
                if (p) return false;
        return true;
    }
    int topRow() const {
        for (int y = 0; y < height; ++y)
            for (bool p : ink[y])
                if (p) return y;
        return -1;
    }
    int bottomRow() const {
        for (int y = height - 1; y >= 0; --y)
            for (bool p : ink[y])
                if (p) return y;
        return -1;
    }
    int leftColumn() const {
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                if (ink[y][x]) return x;
        return -1;
    }
    int rightColumn() const {
        for (int x = width - 1; x >= 0; --x)
            for (int y = 0; y < height; ++y)
                if (ink[y][x]) return x;
        return -1;
    }
};

Glyph decode(const uint8_t* bytes, int width, int height) {
    Glyph g{width, height, {}};
    const int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        std::vector<bool> row(width);
        for (int x = 0; x < width; ++x) row[x] = bytes[y * rowBytes + x / 8] & (0x80 >> (x % 8));
        g.ink.push_back(row);
    }
    return g;
}

// The GB2312 cells that hold a character, per row: ranges of second bytes.
struct RowRanges {
    uint8_t first;
    std::vector<std::pair<uint8_t, uint8_t>> seconds;
};
const std::vector<RowRanges>& gb2312Symbols() {
    static const std::vector<RowRanges> rows = {
        {0xA1, {{0xA1, 0xFE}}},                              // punctuation and signs
        {0xA2, {{0xB1, 0xE2}, {0xE5, 0xEE}, {0xF1, 0xFC}}},  // numbered items, Roman numerals
        {0xA3, {{0xA1, 0xFE}}},                              // full-width ASCII
        {0xA4, {{0xA1, 0xF3}}},                              // hiragana
        {0xA5, {{0xA1, 0xF6}}},                              // katakana
        {0xA6, {{0xA1, 0xB8}, {0xC1, 0xD8}}},                // Greek
        {0xA7, {{0xA1, 0xC1}, {0xD1, 0xF1}}},                // Cyrillic
        {0xA8, {{0xA1, 0xBA}, {0xC5, 0xE9}}},                // pinyin, zhuyin
        {0xA9, {{0xA4, 0xEF}}},                              // box drawing
    };
    return rows;
}

bool isGb2312Character(uint8_t first, uint8_t second) {
    if (second < 0xA1 || second > 0xFE) return false;
    if (first >= 0xB0 && first <= 0xF7) return first != 0xD7 || second <= 0xF9;
    for (const RowRanges& row : gb2312Symbols())
        if (row.first == first)
            for (auto [lo, hi] : row.seconds)
                if (second >= lo && second <= hi) return true;
    return false;
}

class FontDataTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        tables_ = new FontTables;
        loaded_ = loadFontFile(kFontFile, *tables_);
    }
    static void TearDownTestSuite() { delete tables_; }

    void SetUp() override { ASSERT_TRUE(loaded_) << kFontFile << " was not built"; }

    static Glyph ascii(char c, bool large) {
        const auto code = static_cast<uint8_t>(c);
        return large ? decode(&tables_->largeAscii[code * 16], 8, 16)
                     : decode(&tables_->smallAscii[code * 12], 6, 12);
    }
    static Glyph hanziAt(int index, bool large) {
        return large ? decode(&tables_->largeHanzi[index * 32], 16, 16)
                     : decode(&tables_->smallHanzi[index * 24], 12, 12);
    }
    // Glyph of a GB2312 character; the file skips the rows 0xAA-0xAF.
    static Glyph hanzi(uint16_t gb, bool large) {
        const int first = gb >> 8, second = gb & 0xFF;
        const int row = first < 0xB0 ? first - 0xA1 : first - 0xB0 + 9;
        return hanziAt(row * 94 + second - 0xA1, large);
    }

    static FontTables* tables_;
    static bool loaded_;
};
FontTables* FontDataTest::tables_ = nullptr;
bool FontDataTest::loaded_ = false;

TEST_F(FontDataTest, FileHasExactlyTheFourTables) {
    EXPECT_EQ(fs::file_size(kFontFile), 429'968u);
}

TEST_F(FontDataTest, SingleByteGlyphsInkPrintableCodesOnly) {
    for (bool large : {false, true}) {
        for (int c = 0; c < 128; ++c) {
            SCOPED_TRACE(testing::Message() << (large ? "large " : "small ") << c);
            const bool printable = c > 0x20 && c < 0x7F;  // space and control codes stay blank
            EXPECT_EQ(!ascii(static_cast<char>(c), large).blank(), printable);
        }
    }
}

TEST_F(FontDataTest, SmallGlyphsLeaveTheBitsPastTheirWidthClear) {
    for (size_t n = 0; n < tables_->smallAscii.size(); ++n)
        ASSERT_EQ(tables_->smallAscii[n] & 0x03, 0) << "byte " << n;
    for (size_t n = 1; n < tables_->smallHanzi.size(); n += 2)
        ASSERT_EQ(tables_->smallHanzi[n] & 0x0F, 0) << "byte " << n;
}

TEST_F(FontDataTest, EveryGb2312CharacterAndNothingElseHasAGlyph) {
    for (bool large : {false, true}) {
        int inked = 0;
        for (int index = 0; index < static_cast<int>(kHanziGlyphs); ++index) {
            const int row = index / 94;
            const auto first = static_cast<uint8_t>(row < 9 ? 0xA1 + row : 0xB0 + row - 9);
            const auto second = static_cast<uint8_t>(0xA1 + index % 94);
            // The ideographic space 0xA1A1 is a character, but blank by nature.
            const bool wanted =
                isGb2312Character(first, second) && !(first == 0xA1 && second == 0xA1);
            const bool has = !hanziAt(index, large).blank();
            inked += has;
            EXPECT_EQ(has, wanted)
                << (large ? "large " : "small ") << std::hex << int(first) << int(second);
        }
        EXPECT_EQ(inked + 1, 7445);  // all of GB2312, the ideographic space included
    }
}

TEST_F(FontDataTest, GlyphIndicesSkipTheUnusedRows) {
    // 0xA9FE is an empty cell at the end of the symbol rows; the next glyph is the first
    // character of row 0xB0, and the last glyph the last character of row 0xF7.
    for (bool large : {false, true}) {
        EXPECT_TRUE(hanziAt(845, large).blank());
        EXPECT_FALSE(hanziAt(846, large).blank());
        EXPECT_FALSE(hanziAt(7613, large).blank());
        EXPECT_FALSE(hanzi(0xD7F9, large).blank());  // row 0xD7 ends early
        EXPECT_TRUE(hanzi(0xD7FA, large).blank());
    }
}

TEST_F(FontDataTest, LatinLettersShareABaselineAndKeepTheirDescenders) {
    for (bool large : {false, true}) {
        SCOPED_TRACE(large ? "large" : "small");
        const int baseline = ascii('x', large).bottomRow();
        for (char c : std::string("HAMaemx0"))
            EXPECT_EQ(ascii(c, large).bottomRow(), baseline) << c;
        for (char c : std::string("gjpqy")) {
            const Glyph g = ascii(c, large);
            EXPECT_GE(g.bottomRow() - baseline, 2) << c;  // a descender, not cut at the baseline
            EXPECT_LT(g.bottomRow(), g.height) << c;
        }
        const Glyph cap = ascii('H', large);
        EXPECT_GE(cap.topRow(), 1);  // room above capitals: not cut at the cell's top
        EXPECT_GE(cap.bottomRow() - cap.topRow() + 1, large ? 9 : 7);
    }
}

TEST_F(FontDataTest, HanziFillTheCellWithoutBeingCut) {
    // 中 and 丨 run a stroke from top to bottom, 一 across; 目 is tall and closed.
    for (bool large : {false, true}) {
        SCOPED_TRACE(large ? "large" : "small");
        const int size = large ? 16 : 12;
        const Glyph middle = hanzi(0xD6D0, large);  // 中
        EXPECT_GE(middle.bottomRow() - middle.topRow() + 1, size - 2);
        const Glyph eye = hanzi(0xC4BF, large);  // 目
        EXPECT_LE(eye.topRow(), 1);
        EXPECT_GE(eye.bottomRow(), size - 2);
        const Glyph one = hanzi(0xD2BB, large);  // 一
        EXPECT_LE(one.leftColumn(), 1);
        EXPECT_GE(one.rightColumn(), size - 2);
    }
}

TEST_F(FontDataTest, NarrowSymbolsArePlacedToSuitTheirUse) {
    for (bool large : {false, true}) {
        SCOPED_TRACE(large ? "large" : "small");
        const int size = large ? 16 : 12;
        // Lines of box drawing (─ ━ ┼) meet those of the neighbouring cells; a dash comes close.
        for (uint16_t gb : {0xA9A4, 0xA9A5, 0xA9E0}) {
            const Glyph g = hanzi(gb, large);
            EXPECT_EQ(g.leftColumn(), 0) << std::hex << gb;
            EXPECT_EQ(g.rightColumn(), size - 1) << std::hex << gb;
        }
        const Glyph dash = hanzi(0xA1AA, large);
        EXPECT_GE(dash.rightColumn() - dash.leftColumn() + 1, size - 2);
        // Opening quotes lean on the text after them, closing ones on the text before.
        for (uint16_t gb : {0xA1AE, 0xA1B0}) EXPECT_GE(hanzi(gb, large).leftColumn(), size / 2 - 1);
        for (uint16_t gb : {0xA1AF, 0xA1B1}) EXPECT_LE(hanzi(gb, large).rightColumn(), size / 2);
        // A Greek letter is centred.
        const Glyph alpha = hanzi(0xA6C1, large);
        EXPECT_LE(std::abs(alpha.leftColumn() - (size - 1 - alpha.rightColumn())), 1);
    }
}

class MkfontTest : public ::testing::Test {
  protected:
    int run(const std::string& args) {
        const std::string command =
            "'" + kMkfont + "' " + args + " 2>'" + (dir_ / "stderr.txt").string() + "' >/dev/null";
        return std::system(command.c_str());
    }
    std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    corvane::test::TempDir temp_{"corvane-mkfont"};
    fs::path dir_ = temp_.path();
};

TEST_F(MkfontTest, RendersTheSameFileEveryTime) {
    const fs::path out = dir_ / "again.dat";
    ASSERT_EQ(run("--out '" + out.string() + "'"), 0) << read(dir_ / "stderr.txt");
    EXPECT_TRUE(read(out) == read(kFontFile));
}

TEST_F(MkfontTest, MissingSourceFontStopsWithoutAnOutputFile) {
    const fs::path out = dir_ / "none.dat";
    const std::string missing = (dir_ / "no-such-font.pcf").string();
    EXPECT_NE(run("--out '" + out.string() + "' --small-hanzi '" + missing + "'"), 0);
    EXPECT_NE(read(dir_ / "stderr.txt").find(missing), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(MkfontTest, PreviewWritesAPicture) {
    const fs::path picture = dir_ / "preview.png";
    ASSERT_EQ(run("--preview '" + kFontFile + "' '" + picture.string() + "' 'Corvane 中文 Abg'"),
              0);
    EXPECT_EQ(read(picture).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

}  // namespace
}  // namespace corvane
