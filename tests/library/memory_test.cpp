// Byte-range calls: memmove against the C library over random overlapping ranges, memcpy's
// four-bytes-at-a-time order, memset, and the 16-bit count.

#include <cstring>
#include <random>
#include <vector>

#include "lib_helpers.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

void fillRandom(Machine& m, std::mt19937& rng, uint32_t from, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) m.write8(from + i, uint8_t(rng()));
}

TEST(MemoryCalls, MemmoveAgreesWithTheCLibraryOnOverlappingRanges) {
    LibMachine lm;
    std::mt19937 rng(777);
    std::uniform_int_distribution<uint32_t> offset(0, 300);
    std::uniform_int_distribution<uint32_t> count(0, 200);
    constexpr uint32_t kBase = 0x4000;
    for (int round = 0; round < 3000; ++round) {
        fillRandom(lm.m, rng, kBase, 600);
        std::vector<uint8_t> reference(lm.m.mem.begin() + kBase, lm.m.mem.begin() + kBase + 600);
        const uint32_t dst = offset(rng), src = offset(rng), n = count(rng);
        std::memmove(reference.data() + dst, reference.data() + src, n);
        lm.call(sys_memmove, {kBase + dst, kBase + src, n});
        ASSERT_TRUE(std::equal(reference.begin(), reference.end(), lm.m.mem.begin() + kBase))
            << "dst " << dst << " src " << src << " count " << n;
    }
}

TEST(MemoryCalls, MemmoveOfARangeThatWrapsOntoItself) {
    LibMachine lm;
    for (uint32_t i = 0; i < 0x10000; ++i) lm.m.mem[i] = uint8_t(i * 7);
    // 0xFFFF bytes moved up by one: both ends of the range overlap the other range.
    lm.pushAll({0x0001, 0x0000, 0xFFFF});
    const std::vector<uint8_t> before(lm.m.mem.begin(), lm.m.mem.end());  // with the arguments
    sys_memmove(lm.m);
    for (uint32_t i = 0; i < 0xFFFF; ++i) ASSERT_EQ(lm.m.mem[(i + 1) & 0xFFFF], before[i]) << i;
}

TEST(MemoryCalls, MemcpyCopiesFourBytesAtATimeUpward) {
    struct Case {
        int shift;  // destination minus source
        uint32_t count;
        const char* expected;
    };
    // Source "0123456789" at 0x5000; the expectation shows the ten bytes from 0x5000. Each
    // group of four is read whole before it is written, so an upward overlap repeats groups,
    // not single bytes.
    const Case cases[] = {
        {0, 10, "0123456789"},
        {1, 8, "0012335679"},   // 0123 -> 1-4, then 3567 (4 already overwritten) -> 5-8
        {2, 8, "0101232367"},   // 0123 -> 2-5, then 2367 -> 6-9
        {4, 8, "0123012301"},   // the first group, twice
        {3, 5, "0120123189"},   // one group, then one single byte
        {-1, 9, "1234567889"},  // a downward overlap comes out as memmove's
    };
    for (const Case& c : cases) {
        LibMachine lm;
        lm.putString(0x5000, "0123456789");
        lm.call(sys_memcpy, {uint32_t(0x5000 + c.shift), 0x5000, c.count});
        EXPECT_EQ(lm.getString(0x5000, 10), std::string(c.expected))
            << "shift " << c.shift << " count " << c.count;
    }
}

TEST(MemoryCalls, CountUsesItsLow16Bits) {
    LibMachine lm;
    lm.putString(0x5000, "abcdef");
    lm.call(sys_memset, {0x5000, 'z', 0x10000});  // count 0: nothing
    lm.call(sys_memcpy, {0x5000, 0x6000, 0x10000});
    lm.call(sys_memmove, {0x5000, 0x6000, 0x10000});
    EXPECT_EQ(lm.getString(0x5000), "abcdef");
    lm.call(sys_memset, {0x5000, 0x17A, 0x10003});  // value's low 8 bits, count 3
    EXPECT_EQ(lm.getString(0x5000), "zzzdef");
}

TEST(MemoryCalls, RangesWrapAtTheEndOfMemory) {
    LibMachine lm;
    lm.call(sys_memset, {0xFFFE, 0x55, 4});
    EXPECT_EQ(lm.m.mem[0xFFFE], 0x55);
    EXPECT_EQ(lm.m.mem[0x0001], 0x55);
    EXPECT_EQ(lm.m.mem[0x0002], 0x00);

    lm.putString(0x5000, "ABCDEFG");
    lm.call(sys_memcpy, {0xFFFD, 0x5000, 7});
    EXPECT_EQ(lm.getString(0xFFFD, 7), "ABCDEFG");
    lm.call(sys_memcpy, {0x6000, 0xFFFD, 7});
    EXPECT_EQ(lm.getString(0x6000, 7), "ABCDEFG");
}

}  // namespace
}  // namespace corvane::test
