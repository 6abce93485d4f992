// GB2312 <-> UTF-8 conversion used at the boundary between program names and host names.

#include <gtest/gtest.h>

#include <string>

#include "library/gb2312.h"

namespace corvane {
namespace {

struct Pair {
    const char* gb;
    const char* utf8;
};

// Corners of the table: first cell, a symbol row, first and last hanzi, full-width letters.
const Pair kBothWays[] = {
    {"", ""},
    {"data.dat", "data.dat"},
    {"\xA1\xA1", "\u3000"},                // ideographic space, first cell
    {"\xB0\xA1", "\u554A"},                // first level-1 hanzi
    {"\xF7\xFE", "\u9F44"},                // last cell of the last row
    {"\xA3\xC1\xA3\xE1", "\uFF21\uFF41"},  // full-width A and a
    {"\xCE\xC4\xBC\xFE.txt", "\u6587\u4EF6.txt"},
    {"a\xD6\xD0z", "a\u4E2Dz"},
};

TEST(Gb2312, ConvertsBothWays) {
    for (const Pair& p : kBothWays) {
        std::string out;
        ASSERT_TRUE(gb2312ToUtf8(p.gb, out)) << p.utf8;
        EXPECT_EQ(out, p.utf8);
        ASSERT_TRUE(utf8ToGb2312(p.utf8, out)) << p.utf8;
        EXPECT_EQ(out, p.gb);
    }
}

TEST(Gb2312, RejectsBytesWithoutCharacter) {
    const char* bad[] = {
        "\xB0",      // lead byte at the end
        "\xB0\x61",  // ASCII trail ('a')
        "\x80\xA1",  // lead outside the table
        "\xA1\xFF",  // trail outside the table
        "\xA2\xA1",  // empty cell in a symbol row
        "\xD7\xFA",  // empty cell at the end of level 1
        "\xF8\xA1",  // row beyond the table
    };
    for (const char* in : bad) {
        std::string out;
        EXPECT_FALSE(gb2312ToUtf8(in, out)) << testing::PrintToString(std::string(in));
    }
}

TEST(Gb2312, RejectsUtf8WithoutGb2312Counterpart) {
    const char* bad[] = {
        "\u00DF",        // sharp s: not in GB2312
        "\uAC00",        // Hangul syllable
        "\U0001F600",    // outside the basic plane
        "\xC3",          // truncated sequence
        "\xC0\xAF",      // overlong slash
        "\xED\xA0\x80",  // surrogate
        "\xE5\x95",      // truncated hanzi
        "\xFF",
    };
    for (const char* in : bad) {
        std::string out;
        EXPECT_FALSE(utf8ToGb2312(in, out)) << testing::PrintToString(std::string(in));
    }
}

TEST(Gb2312, EveryCellRoundTrips) {
    int characters = 0;
    for (int lead = 0xA1; lead <= 0xFE; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const uint16_t code = uint16_t(lead << 8 | trail);
            const char32_t point = gb2312ToUnicode(code);
            if (point == 0) continue;
            ++characters;
            EXPECT_EQ(unicodeToGb2312(point), code) << std::hex << code;
        }
    }
    EXPECT_EQ(characters, 7445);  // 682 symbols and 6,763 hanzi
}

TEST(Gb2312, AcceptsOtherConvertersPunctuation) {
    std::string out;
    ASSERT_TRUE(utf8ToGb2312("\u00B7\u2014", out));
    EXPECT_EQ(out, "\xA1\xA4\xA1\xAA");
}

}  // namespace
}  // namespace corvane
