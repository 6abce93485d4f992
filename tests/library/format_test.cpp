// The formatter: sprintf conversions and stack effects, %d against the C library, and printf's
// output to the console with double-byte characters kept on one line.

#include <climits>
#include <cstdio>
#include <random>
#include <vector>

#include "lib_helpers.h"
#include "vm/memory_map.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

constexpr uint16_t kDest = 0x3000;
constexpr uint16_t kFormat = 0x4000;
constexpr uint16_t kText = 0x5000;

// Pushes sprintf's arguments and their count, runs it, and checks that it removed them all.
std::string sprintfOf(LibMachine& lm, std::string_view format, std::vector<uint32_t> values) {
    lm.putString(kFormat, format);
    const uint8_t before = lm.m.osp;
    lm.m.push(kDest);
    lm.m.push(kFormat);
    for (uint32_t v : values) lm.m.push(v);
    lm.m.push(uint32_t(values.size() + 2));
    sys_sprintf(lm.m);
    EXPECT_EQ(lm.m.osp, before) << "sprintf must remove its arguments and its count";
    return lm.getString(kDest);
}

TEST(Sprintf, Conversions) {
    struct Case {
        const char* format;
        std::vector<uint32_t> values;
        const char* expected;
    };
    const Case cases[] = {
        {"abc", {}, "abc"},
        {"%d", {uint32_t(-5)}, "-5"},
        {"%d", {0}, "0"},
        {"%d", {uint32_t(INT_MIN)}, "-2147483648"},
        {"%d|%d", {2147483647, 10}, "2147483647|10"},
        {"100%", {}, "100"},
        {"%x", {}, "x"},
        {"%5d%d", {7}, "5d7"},  // no widths: "%5" is a literal "5"
        {"%%d", {}, "%d"},
        {"[%c]", {0x141}, "[A]"},                            // low 8 bits only
        {"<%s>", {0x00100000u | kText}, "<text \xb0\xa1>"},  // string constants carry a tag
        {"\xb0%d\xa1",
         {3},
         "\xb0"
         "3\xa1"},  // sprintf does not pair double bytes
        {"%s%s", {kText, kText}, "text \xb0\xa1text \xb0\xa1"},
    };
    for (const Case& c : cases) {
        LibMachine lm;
        lm.putString(kText, "text \xb0\xa1");
        EXPECT_EQ(sprintfOf(lm, c.format, c.values), c.expected) << "format " << c.format;
    }
}

TEST(Sprintf, CharacterZeroIsWrittenLikeAnyOther) {
    LibMachine lm;
    lm.putString(kDest, "zzzzzz");
    sprintfOf(lm, "a%cb", {0});
    const uint8_t expected[] = {'a', 0, 'b', 0, 'z'};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(lm.m.read8(kDest + i), expected[i]) << i;
}

TEST(Sprintf, DecimalAgreesWithTheCLibrary) {
    LibMachine lm;
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> digits(0, 31);
    for (int round = 0; round < 5000; ++round) {
        // Values of every magnitude, not only huge ones.
        const int32_t v = int32_t(rng()) >> digits(rng);
        char want[16];
        std::snprintf(want, sizeof want, "%d", v);
        ASSERT_EQ(sprintfOf(lm, "%d", {uint32_t(v)}), want);
    }
}

TEST(Sprintf, MissingValuesAreReadFromAboveTheArguments) {
    LibMachine lm;
    lm.m.push(0xAAAA);  // older stack contents, below everything
    const uint8_t base = lm.m.osp;
    // No values passed: the first %d reads the count's slot (2), the second the slot above it.
    lm.m.mem[kOperandRing + uint8_t(base + 12)] = 42;
    EXPECT_EQ(sprintfOf(lm, "%d,%d", {}), "2,42");
    EXPECT_EQ(lm.m.osp, base);
    EXPECT_EQ(lm.m.pop(), 0xAAAAu);
}

TEST(Sprintf, OnlyTheLow8BitsOfTheCountCount) {
    LibMachine lm;
    lm.putString(kFormat, "%d");
    const uint8_t start = lm.m.osp;
    lm.m.push(kDest);
    lm.m.push(kFormat);
    lm.m.push(9);
    lm.m.push(0x7103);  // three arguments
    sys_sprintf(lm.m);
    EXPECT_EQ(lm.m.osp, start);
    EXPECT_EQ(lm.getString(kDest), "9");
}

TEST(Sprintf, DestinationAndFormatWrapAtTheEndOfMemory) {
    LibMachine lm;
    lm.putString(0xFFFF, "%d!");  // "%" at 0xFFFF, the rest from 0x0000
    lm.m.push(0xFFFD);            // the output overwrites format bytes only after they were read
    lm.m.push(0xFFFF);
    lm.m.push(1234);
    lm.m.push(3);
    sys_sprintf(lm.m);
    EXPECT_EQ(lm.getString(0xFFFD), "1234!");
    EXPECT_EQ(lm.m.read8(0x0002), 0);
}

TEST(Sprintf, OutputEndsAtTheWalkLimit) {
    LibMachine lm;
    lm.m.mem.fill('x');  // a format without a terminator anywhere
    // The destination runs ahead of the format, so the output overwrites the 0 bytes of the
    // pushed arguments in the operand ring before the format walk reaches them.
    constexpr uint16_t kFrom = kOperandRing + 0x100, kTo = kOperandRing + 0x200;
    lm.m.push(kTo);
    lm.m.push(kFrom);
    lm.m.push(2);
    sys_sprintf(lm.m);
    // 65,536 bytes of 'x' cover the whole memory; the terminator lands on the first one.
    EXPECT_EQ(lm.m.read8(kTo), 0);
    EXPECT_EQ(lm.m.read8(kTo + 1), 'x');
    EXPECT_EQ(lm.m.read8(kTo - 1), 'x');
    EXPECT_EQ(lm.m.read8(kOperandRing), 'x');
}

// printf: the console text buffer receives the output; the large console has 20 columns.
struct PrintfTest : ::testing::Test {
    LibMachine lm;

    void printf(std::string_view format, std::vector<uint32_t> values = {}) {
        lm.putString(kFormat, format);
        const uint8_t before = lm.m.osp;
        lm.m.push(kFormat);
        for (uint32_t v : values) lm.m.push(v);
        lm.m.push(uint32_t(values.size() + 1));
        sys_printf(lm.m);
        EXPECT_EQ(lm.m.osp, before);
    }
    uint8_t cell(int row, int column) const {
        return lm.m.read8(kTextBuffer + row * lm.m.console.columns + column);
    }
    void cursorAt(uint8_t row, uint8_t column) {
        lm.m.console.cursorRow = row;
        lm.m.console.cursorColumn = column;
        lm.m.console.writeIndex = uint8_t(row * lm.m.console.columns + column);
    }
};

TEST_F(PrintfTest, WritesToTheConsoleAndRendersOnce) {
    lm.m.console.skipMask = 0x80;  // the render at the end clears it
    lm.putString(kText, "ok");
    printf("n=%d %s", {uint32_t(-12), kText});
    EXPECT_EQ(lm.getString(kTextBuffer), "n=-12 ok");
    EXPECT_EQ(lm.m.console.skipMask, 0);
    EXPECT_EQ(lm.m.draw.target, kLcdScreen);
}

TEST_F(PrintfTest, DoubleByteCharacterInTheLastColumnMovesToTheNextLine) {
    cursorAt(0, 19);
    printf("\xb0\xa1");
    EXPECT_EQ(cell(0, 19), ' ');
    EXPECT_EQ(cell(1, 0), 0xb0);
    EXPECT_EQ(cell(1, 1), 0xa1);
    EXPECT_EQ(lm.m.console.cursorColumn, 2);
}

TEST_F(PrintfTest, DoubleByteCharacterFromAStringIsKeptTogetherToo) {
    lm.putString(kText, "\xb0\xa1");
    cursorAt(2, 18);
    printf("A%s", {kText});
    EXPECT_EQ(cell(2, 18), 'A');
    EXPECT_EQ(cell(2, 19), ' ');
    EXPECT_EQ(cell(3, 0), 0xb0);
    EXPECT_EQ(cell(3, 1), 0xa1);
}

TEST_F(PrintfTest, SecondByteIsNotInterpreted) {
    printf("\xb0%d|%d", {7});
    EXPECT_EQ(lm.getString(kTextBuffer), "\xb0%d|7");
}

TEST_F(PrintfTest, TerminatorAfterAFirstByteEndsOnlyItsOwnText) {
    lm.putString(kText, "\xb0");
    printf("%s<", {kText});  // the string ends, the format goes on
    EXPECT_EQ(lm.getString(kTextBuffer), "\xb0<");
    cursorAt(1, 0);
    printf("\xb0");  // the format ends after the first byte
    EXPECT_EQ(cell(1, 0), 0xb0);
    EXPECT_EQ(lm.m.console.cursorColumn, 1);
}

TEST_F(PrintfTest, PercentBeforeAHighByteOutputsItAlone) {
    cursorAt(0, 19);
    // "%" takes 0xb0 alone (no space); 0xa1 then starts a pair with "Z".
    printf("%\xb0\xa1Z");
    EXPECT_EQ(cell(0, 19), 0xb0);
    EXPECT_EQ(cell(1, 0), 0xa1);
    EXPECT_EQ(cell(1, 1), 'Z');
}

TEST_F(PrintfTest, CountIncludesTheFormatOnly) {
    lm.m.push(0x5555);
    printf("%c%c", {'h', 'i'});
    EXPECT_EQ(lm.m.pop(), 0x5555u);
    EXPECT_EQ(lm.getString(kTextBuffer), "hi");
}

}  // namespace
}  // namespace corvane::test
