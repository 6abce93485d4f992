// abs, the random generator, Sin/Cos against the math library, Crc16 against a bitwise CRC,
// Secret, and the stack effects of the reserved calls.

#include <climits>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "lib_helpers.h"
#include "vm/memory_map.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

TEST(MathCalls, Abs) {
    LibMachine lm;
    const int32_t cases[][2] = {
        {-5, 5}, {5, 5}, {0, 0}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {-INT_MAX, INT_MAX},
        {-1, 1}, {1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(int32_t(lm.result(sys_abs, {uint32_t(c[0])})), c[1]) << c[0];
    }
}

TEST(MathCalls, RandomSequenceAfterSrand) {
    LibMachine lm;
    lm.call(sys_srand, {0});
    for (uint32_t want : {0u, 346u, 130u, 10982u, 1090u, 11656u}) {
        EXPECT_EQ(lm.result(sys_rand, {}), want);
    }
    lm.call(sys_srand, {12345});
    for (uint32_t want : {15301u, 24996u, 10921u, 23577u}) {
        EXPECT_EQ(lm.result(sys_rand, {}), want);
    }
    for (int i = 0; i < 10000; ++i) ASSERT_LE(lm.result(sys_rand, {}), 0x7FFFu);
}

int32_t reference(double degrees, double (*f)(double)) {
    return int32_t(std::lround(1024.0 * f(degrees * std::numbers::pi / 180.0)));
}

TEST(MathCalls, SinAndCosMatchTheRoundedFunctionsForEveryAngle) {
    LibMachine lm;
    for (uint32_t angle = 0; angle < 0x10000; ++angle) {
        const double reduced = double(angle % 360);
        // Only the low 16 bits count: the high bits must change nothing.
        const uint32_t arg = angle | (angle % 3 == 0 ? 0xABCD0000u : 0u);
        ASSERT_EQ(int32_t(lm.result(sys_Sin, {arg})), reference(reduced, std::sin)) << angle;
        ASSERT_EQ(int32_t(lm.result(sys_Cos, {arg})), reference(reduced, std::cos)) << angle;
    }
}

TEST(MathCalls, AnglesAreReducedAsUnsigned16BitValues) {
    LibMachine lm;
    EXPECT_EQ(int32_t(lm.result(sys_Sin, {uint32_t(-90)})), -984);  // 65446 mod 360 = 286
    EXPECT_EQ(int32_t(lm.result(sys_Sin, {65536 + 30})), 512);
    EXPECT_EQ(int32_t(lm.result(sys_Cos, {359})), 1024);
    EXPECT_EQ(int32_t(lm.result(sys_Sin, {88})), 1023);
    EXPECT_EQ(int32_t(lm.result(sys_Sin, {89})), 1024);
}

uint16_t bitwiseCrc(const std::vector<uint8_t>& data) {
    uint16_t reg = 0;
    for (uint8_t b : data) {
        reg ^= uint16_t(b << 8);
        for (int i = 0; i < 8; ++i) reg = (reg & 0x8000) ? uint16_t((reg << 1) ^ 0x1021) : reg << 1;
    }
    return reg;
}

TEST(ChecksumCalls, Crc16KnownValues) {
    LibMachine lm;
    lm.putString(0x3000, "123456789");
    EXPECT_EQ(lm.result(sys_Crc16, {0x3000, 9}), 0x31C3u);
    lm.putString(0x3000, "abc");
    EXPECT_EQ(lm.result(sys_Crc16, {0x3000, 3}), 0x9DD6u);
    EXPECT_EQ(lm.result(sys_Crc16, {0x3000, 0}), 0u);
    EXPECT_EQ(lm.result(sys_Crc16, {0x3000, 0x10000}), 0u);  // low 16 bits of the length
}

TEST(ChecksumCalls, Crc16AgreesWithABitwiseCrcOnRandomData) {
    LibMachine lm;
    std::mt19937 rng(4242);
    std::uniform_int_distribution<uint32_t> length(1, 700);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> data(length(rng));
        for (uint8_t& b : data) b = uint8_t(rng());
        // Some blocks straddle the end of memory.
        const uint32_t at = round % 4 == 0 ? 0x10000 - uint32_t(data.size() / 2) : 0x2000;
        for (size_t i = 0; i < data.size(); ++i) lm.m.write8(at + uint32_t(i), data[i]);
        ASSERT_EQ(lm.result(sys_Crc16, {at, uint32_t(data.size())}), bitwiseCrc(data));
    }
}

TEST(ChecksumCalls, SecretRepeatsTheKeyAndUndoesItself) {
    LibMachine lm;
    lm.putString(0x3000, "\x11\x22");
    lm.call(sys_Secret, {0x4000, 5, 0x3000});
    const uint8_t want[] = {0x11, 0x22, 0x11, 0x22, 0x11, 0x00};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(lm.m.read8(0x4000 + i), want[i]) << i;

    lm.putString(0x5000, "Attack at dawn");
    lm.putString(0x3000, "k3y");
    lm.call(sys_Secret, {0x5000, 14, 0x3000});
    EXPECT_NE(lm.getString(0x5000, 14), "Attack at dawn");
    lm.call(sys_Secret, {0x5000, 14, 0x3000});
    EXPECT_EQ(lm.getString(0x5000, 14), "Attack at dawn");
}

TEST(ChecksumCalls, SecretWithAnEmptyKeyRunsIntoTheBytesAfterIt) {
    LibMachine lm;
    const uint8_t key[] = {0, 0x40, 0x41, 0, 0x99};
    for (int i = 0; i < 5; ++i) lm.m.write8(0x3000 + i, key[i]);
    lm.call(sys_Secret, {0x4000, 6, 0x3000});
    // Key bytes taken: 0 (restart: first byte 0, j=1), 0x40, 0x41, 0 -> first byte, 0x40, 0x41.
    const uint8_t want[] = {0x00, 0x40, 0x41, 0x00, 0x40, 0x41};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(lm.m.read8(0x4000 + i), want[i]) << i;
}

TEST(ChecksumCalls, SecretKeyAndDataWrapAtTheEndOfMemory) {
    LibMachine lm;
    lm.m.write8(0xFFFF, 0x0F);
    lm.m.write8(0x0000, 0xF0);
    lm.m.write8(0x0001, 0x00);
    lm.call(sys_Secret, {0xFFFE, 4, 0xFFFF});
    EXPECT_EQ(lm.m.read8(0xFFFE), 0x0F);
    // 0xFFFF is itself data now: XORed with key byte 0xF0 after it served as the first key byte.
    EXPECT_EQ(lm.m.read8(0xFFFF), 0xFF);
}

TEST(ReservedCalls, StackEffects) {
    struct Case {
        const char* name;
        Handler call;
        int pushed;      // arguments the program pushes
        int remaining;   // slots left above the starting point afterwards
        bool zeroOnTop;  // a pushed 0 result
    };
    const Case cases[] = {
        {"Beep", sys_Beep, 1, 1, false},
        {"MakeDir", sys_MakeDir, 1, 1, false},
        {"DeleteFile", sys_DeleteFile, 1, 1, false},
        {"CF", sys_ReservedCF, 2, 2, false},
        {"D1", sys_ReservedD1, 0, 0, false},
        {"CC", sys_ReservedCC, 3, 1, true},
        {"CD", sys_ReservedCD, 1, 1, true},
        {"CE", sys_ReservedCE, 4, 1, true},
        {"D0", sys_ReservedD0, 1, 0, false},
    };
    for (const Case& c : cases) {
        LibMachine lm;
        lm.m.osp = 0xF8;  // the ring wraps during the call
        const uint8_t start = lm.m.osp;
        for (int i = 0; i < c.pushed; ++i) lm.m.push(0x100 + i);
        const std::array<uint8_t, kVmMemorySize> before = lm.m.mem;
        c.call(lm.m);
        EXPECT_EQ(lm.m.osp, uint8_t(start + 4 * c.remaining)) << c.name;
        if (c.zeroOnTop) {
            EXPECT_EQ(lm.m.slot(uint8_t(lm.m.osp - 4)), 0u) << c.name;
        } else {
            EXPECT_TRUE(lm.m.mem == before) << c.name << " must not touch memory";
            if (c.remaining > 0) {
                EXPECT_EQ(lm.m.slot(uint8_t(lm.m.osp - 4)), uint32_t(0x100 + c.pushed - 1));
            }
        }
    }
}

}  // namespace
}  // namespace corvane::test
