// String calls against the C library over random byte strings, plus the cases the C library
// cannot show: wrapping at 0xFFFF, unterminated memory and strings that grow while read.

#include <cstring>
#include <random>

#include "lib_helpers.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

constexpr uint16_t kFirst = 0x3000;
constexpr uint16_t kSecond = 0x5000;

// Random non-empty-byte strings over a small alphabet, so searches and comparisons often hit,
// with a share of high bytes to show unsigned comparison.
std::string randomString(std::mt19937& rng, size_t maxLength) {
    static constexpr char kAlphabet[] = "abcab\x80\xb0\xff";
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
    std::string s(length(rng), 'a');
    for (char& c : s) c = kAlphabet[pick(rng)];
    return s;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(StringCalls, AgreeWithTheCLibraryOnRandomStrings) {
    LibMachine lm;
    std::mt19937 rng(12345);
    for (int round = 0; round < 4000; ++round) {
        const std::string a = randomString(rng, 24);
        std::string b = randomString(rng, 6);
        if (round % 5 == 0 && !a.empty()) b = a.substr(a.size() / 3, a.size() / 2);  // a real hit
        lm.putString(kFirst, a);
        lm.putString(kSecond, b);
        SCOPED_TRACE("a=\"" + a + "\" b=\"" + b + "\"");

        EXPECT_EQ(lm.result(sys_strlen, {kFirst}), a.size());

        const int expected = sign(std::strcmp(a.c_str(), b.c_str()));
        EXPECT_EQ(int32_t(lm.result(sys_strcmp, {kFirst, kSecond})), expected);

        const char* hit = std::strstr(a.c_str(), b.c_str());
        const uint32_t want = hit ? kFirst + uint32_t(hit - a.c_str()) : 0;
        EXPECT_EQ(lm.result(sys_strstr, {kFirst, kSecond}), want);

        const uint8_t c = b.empty() ? 0 : uint8_t(b[0]);
        const char* at = std::strchr(a.c_str(), c);
        const uint32_t wantChr = at ? kFirst + uint32_t(at - a.c_str()) : 0;
        // Only the low 8 bits of the character count.
        EXPECT_EQ(lm.result(sys_strchr, {kFirst, 0xABCD00u | c}), wantChr);

        lm.call(sys_strcat, {kSecond, kFirst});
        EXPECT_EQ(lm.getString(kSecond), b + a);
        lm.call(sys_strcpy, {kSecond, kFirst});
        EXPECT_EQ(lm.getString(kSecond), a);
    }
}

TEST(StringCalls, ComparisonIsUnsignedAndPopsSecondFirst) {
    LibMachine lm;
    lm.putString(kFirst, "a");
    lm.putString(kSecond, "\xb0\xa1");
    EXPECT_EQ(int32_t(lm.result(sys_strcmp, {kFirst, kSecond})), -1);
    EXPECT_EQ(int32_t(lm.result(sys_strcmp, {kSecond, kFirst})), 1);
    EXPECT_EQ(int32_t(lm.result(sys_strcmp, {kFirst, kFirst})), 0);
}

TEST(StringCalls, EmptyPatternAndTerminatorSearches) {
    LibMachine lm;
    lm.putString(kFirst, "hello");
    lm.putString(kSecond, "");
    EXPECT_EQ(lm.result(sys_strstr, {kFirst, kSecond}), kFirst);
    EXPECT_EQ(lm.result(sys_strchr, {kFirst, 0}), kFirst + 5u);
    EXPECT_EQ(lm.result(sys_strchr, {kFirst, 'z'}), 0u);
}

TEST(StringCalls, WalksWrapAtTheEndOfMemory) {
    LibMachine lm;
    lm.putString(0xFFFE, "abcd");  // "ab" at 0xFFFE-0xFFFF, "cd" and the terminator from 0
    EXPECT_EQ(lm.result(sys_strlen, {0xFFFE}), 4u);
    EXPECT_EQ(lm.result(sys_strchr, {0xFFFE, 'd'}), 0x0001u);
    lm.putString(kFirst, "cd");
    EXPECT_EQ(lm.result(sys_strstr, {0xFFFE, kFirst}), 0x0000u);
    EXPECT_EQ(lm.result(sys_strstr, {0x1FFFE, kFirst}), 0x0000u);  // low 16 bits of pointers

    // strcat onto a destination that ends at 0xFFFF continues at 0x0000.
    lm.putString(0xFFFD, "xy");
    lm.putString(kFirst, "123");
    lm.call(sys_strcat, {0xFFFD, kFirst});
    EXPECT_EQ(lm.getString(0xFFFD), "xy123");
    EXPECT_EQ(lm.m.read8(0x0002), 0);

    lm.call(sys_strcpy, {0xFFFF, kFirst});
    EXPECT_EQ(lm.m.read8(0xFFFF), '1');
    EXPECT_EQ(lm.getString(0x0000), "23");
}

TEST(StringCalls, MemoryWithoutATerminatorEndsAfterTheWalkLimit) {
    LibMachine lm;
    lm.m.mem.fill('x');
    // Pointer arguments whose slot bytes in the operand ring are not 0 either.
    constexpr uint32_t kPointer = 0x78781234;
    EXPECT_EQ(lm.result(sys_strlen, {kPointer}), 0x10000u);
    EXPECT_EQ(int32_t(lm.result(sys_strcmp, {kPointer, kPointer})), 0);
    EXPECT_EQ(lm.result(sys_strstr, {kPointer, kPointer}), 0x1234u);
}

TEST(StringCalls, AppendingAStringToItselfDoublesIt) {
    LibMachine lm;
    lm.putString(kFirst, "ab");
    lm.call(sys_strcat, {kFirst, kFirst});
    EXPECT_EQ(lm.getString(kFirst), "abab");
}

TEST(StringCalls, CopyOntoAnOverlappingDestinationCopiesTheMeasuredLength) {
    LibMachine lm;
    lm.putString(kFirst, "abc");
    lm.call(sys_strcpy, {kFirst + 1, kFirst});  // measured first, so the copy ends
    EXPECT_EQ(lm.m.read8(kFirst + 4), 0);
    EXPECT_EQ(lm.getString(kFirst), "aaaa");
}

TEST(StringCalls, LongAdversarialSearchFindsTheOnlyMatch) {
    LibMachine lm;
    // 30,000 'a' then "b"; pattern: 10,000 'a' then "b". A naive search would take 3e8 steps.
    std::string text(30000, 'a');
    text += 'b';
    std::string pattern(10000, 'a');
    pattern += 'b';
    lm.putString(0x8000, text);  // both clear of the operand ring
    lm.putString(0x0100, pattern);
    EXPECT_EQ(lm.result(sys_strstr, {0x8000, 0x0100}), 0x8000u + 20000u);
    pattern.back() = 'c';
    lm.putString(0x0100, pattern);
    EXPECT_EQ(lm.result(sys_strstr, {0x8000, 0x0100}), 0u);
}

}  // namespace
}  // namespace corvane::test
