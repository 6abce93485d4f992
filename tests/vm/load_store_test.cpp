// Immediates, loads, addresses, ASSIGN and the inline string constants.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/program.h"
#include "vm/memory_map.h"

namespace corvane::test {
namespace {

struct Case {
    const char* what;
    Code code;  // EXIT is appended
    std::function<void(Machine&)> setup;
    uint32_t top;
};

void runCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        Code code = c.code;
        code.op("EXIT");
        Program p(code);
        if (c.setup) c.setup(p.m);
        const RunResult r = p.run();
        EXPECT_FALSE(p.m.faulted) << c.what << ": " << p.m.faultReason;
        EXPECT_EQ(r.stop, RunStop::Ended) << c.what;
        EXPECT_EQ(p.top(), c.top) << c.what << std::hex << " got 0x" << p.top();
    }
}

TEST(Immediates, PushTheirValuesWithTheRightExtension) {
    runCases({
        {"PUSH_B 0xFF", Code{}.op("PUSH_B").u8(0xFF), {}, 255},
        {"PUSH_W 0xFFFF", Code{}.op("PUSH_W").u16(0xFFFF), {}, 0xFFFFFFFF},
        {"PUSH_W 0x1234", Code{}.op("PUSH_W").u16(0x1234), {}, 0x1234},
        {"PUSH_W 0x8000", Code{}.op("PUSH_W").u16(0x8000), {}, 0xFFFF8000},
        {"PUSH_D", Code{}.op("PUSH_D").u32(0x89ABCDEF), {}, 0x89ABCDEF},
        {"PUSH_TEXTBUF", Code{}.op("PUSH_TEXTBUF"), {}, 0x01C0},
        {"PUSH_SCREEN", Code{}.op("PUSH_SCREEN"), {}, 0x18C0},
        {"PUSH_GBUF", Code{}.op("PUSH_GBUF"), {}, 0x79C0},
        {"NOP and NOP2 touch nothing", Code{}.op("PUSH_B").u8(3).op("NOP").op("NOP2"), {}, 3},
    });
}

TEST(Loads, GlobalLocalAndIndexedAddresses) {
    auto mem = [](uint16_t addr, std::vector<uint8_t> bytes, uint16_t fp = 0) {
        return [=](Machine& m) {
            for (size_t i = 0; i < bytes.size(); ++i) m.mem[(addr + i) & 0xFFFF] = bytes[i];
            m.fp = fp;
        };
    };
    runCases({
        {"LDG_I sign-extends", Code{}.op("LDG_I").u16(0x2000), mem(0x2000, {0x00, 0x80}),
         0xFFFF8000},
        {"LDG_C zero-extends", Code{}.op("LDG_C").u16(0x2000), mem(0x2000, {0x80}), 0x80},
        {"LDL_L adds fp", Code{}.op("LDL_L").u16(0x0010), mem(0x2110, {1, 2, 3, 4}, 0x2100),
         0x04030201},
        {"LDL_C offset wraps", Code{}.op("LDL_C").u16(0x0002), mem(0x0001, {0x99}, 0xFFFF), 0x99},
        {"LDLX_I fp + o16 + index", Code{}.op("PUSH_B").u8(4).op("LDLX_I").u16(0x0010),
         mem(0x2114, {0x34, 0x12}, 0x2100), 0x1234},
        {"LDGX_C wraps past 0xFFFF", Code{}.op("PUSH_B").u8(2).op("LDGX_C").u16(0xFFFF),
         mem(0x0001, {0x77}), 0x77},
        {"LDGX_L index uses low 16 bits",
         Code{}.op("PUSH_D").u32(0xFFFF0005).op("LDGX_L").u16(0x2000),
         mem(0x2005, {0xEF, 0xBE, 0xAD, 0xDE}), 0xDEADBEEF},
        {"LDGX_I base 0xFFFE index 3", Code{}.op("PUSH_B").u8(3).op("LDGX_I").u16(0xFFFE),
         mem(0x0001, {0xFE, 0xFF}), 0xFFFFFFFE},
        {"LDGX_L through a pointer on the stack",
         Code{}.op("PUSH_D").u32(0x00103000).op("LDGX_L").u16(0), mem(0x3000, {9, 0, 0, 0}), 9},
        {"LDP_C", Code{}.op("PUSH_D").u32(0x00107010).op("LDP_C"), mem(0x7010, {0xAB}), 0xAB},
    });
}

TEST(Addresses, CarryTheWidthTagAndAbsoluteFrameAddresses) {
    auto fp = [](uint16_t v) { return [=](Machine& m) { m.fp = v; }; };
    runCases({
        {"REFGX_C", Code{}.op("PUSH_B").u8(1).op("REFGX_C").u16(0x2000), {}, 0x00012001},
        {"REFGX_I", Code{}.op("PUSH_B").u8(2).op("REFGX_I").u16(0x2000), {}, 0x00022002},
        {"REFGX_L wraps", Code{}.op("PUSH_B").u8(4).op("REFGX_L").u16(0xFFFE), {}, 0x00040002},
        {"REFLX_C", Code{}.op("PUSH_B").u8(1).op("REFLX_C").u16(5), fp(0x3000), 0x00013006},
        {"REFLX_I", Code{}.op("PUSH_B").u8(0).op("REFLX_I").u16(5), fp(0x3000), 0x00023005},
        {"REFLX_L", Code{}.op("PUSH_B").u8(8).op("REFLX_L").u16(5), fp(0x3000), 0x0004300D},
        {"ADDRGX", Code{}.op("PUSH_B").u8(3).op("ADDRGX").u16(0x4000), {}, 0x4003},
        {"ADDRLX", Code{}.op("PUSH_B").u8(3).op("ADDRLX").u16(0x10), fp(0x3000), 0x3013},
        {"ADDRL", Code{}.op("ADDRL").u16(0x10), fp(0xFFF8), 0x0008},
        {"REFP_C", Code{}.op("PUSH_D").u32(0x00107010).op("REFP_C"), {}, 0x00017010},
    });
}

TEST(Assign, StoresByTagAndPushesTheWholeValue) {
    struct StoreCase {
        const char* what;
        uint32_t typedAddr;
        uint32_t value;
        uint16_t at;
        std::vector<uint8_t> bytes;  // expected from `at` on; one more byte must stay 0xEE
    };
    const StoreCase cases[] = {
        {"int through fp", 0x00820006, 7, 0x3006, {7, 0}},
        {"char truncates", 0x00012000, 0x1FF, 0x2000, {0xFF}},
        {"tag 0 is long", 0x00002000, 0x11223344, 0x2000, {0x44, 0x33, 0x22, 0x11}},
        {"tag 4 is long", 0x00042000, 0x11223344, 0x2000, {0x44, 0x33, 0x22, 0x11}},
        {"tag 0x10 is long", 0x00102000, 0x55, 0x2000, {0x55, 0, 0, 0}},
        {"bits 24-31 ignored", 0xFF012000, 0x66, 0x2000, {0x66}},
        {"long wraps at the top", 0x0004FFFE, 0xAABBCCDD, 0xFFFE, {0xDD, 0xCC, 0xBB, 0xAA}},
    };
    for (const StoreCase& c : cases) {
        Program p(
            Code{}.op("PUSH_D").u32(c.typedAddr).op("PUSH_D").u32(c.value).op("ASSIGN").op("EXIT"));
        p.m.fp = 0x3000;
        for (int i = 0; i < 8; ++i) p.m.mem[(c.at + i) & 0xFFFF] = 0xEE;
        p.run();
        EXPECT_EQ(p.top(), c.value) << c.what;
        EXPECT_EQ(p.m.osp, 4) << c.what;
        for (size_t i = 0; i < c.bytes.size(); ++i) {
            EXPECT_EQ(p.m.mem[(c.at + i) & 0xFFFF], c.bytes[i]) << c.what << " byte " << i;
        }
        EXPECT_EQ(p.m.mem[(c.at + c.bytes.size()) & 0xFFFF], 0xEE) << c.what << " wrote too far";
    }
}

std::string stringAt(const Machine& m, uint16_t addr) {
    std::string s;
    while (m.mem[addr] != 0) s += char(m.mem[addr++]);
    return s;
}

TEST(PushStr, CopiesIntoStringAreaAndContinuesAfterTheTerminator) {
    Program p(Code{}
                  .op("PUSH_STR")
                  .raw({'h', 'i', 0})
                  .op("PUSH_STR")
                  .raw({'y', 'o', 'u', 0})
                  .op("PUSH_B")
                  .u8(1)
                  .op("EXIT"));
    p.run();
    EXPECT_EQ(p.below(2), 0x00107000u);
    EXPECT_EQ(p.below(1), 0x00107003u);
    EXPECT_EQ(p.top(), 1u);
    EXPECT_EQ(stringAt(p.m, 0x7000), "hi");
    EXPECT_EQ(stringAt(p.m, 0x7003), "you");
    EXPECT_EQ(p.m.strPtr, 0x7007);
}

TEST(PushStr, SameInstructionTwiceMakesTwoCopies) {
    Code code;
    const uint32_t loop = code.here();
    code.op("PUSH_STR").raw({'a', 'b', 0}).op("JMP").u24(loop);
    Program p(code);
    p.run(4);
    EXPECT_EQ(p.below(1), 0x00107000u);
    EXPECT_EQ(p.top(), 0x00107003u);
}

TEST(PushStr, StringRunningPastTheAreaIsCopiedWholeThenThePointerWraps) {
    std::vector<uint8_t> twenty(19, 'x');
    twenty.push_back(0);
    Program p(Code{}.op("PUSH_STR").raw(twenty).op("EXIT"));
    p.m.strPtr = 0x72F8;
    p.run();
    EXPECT_EQ(p.top(), 0x001072F8u);
    EXPECT_EQ(p.m.mem[0x730A], 'x');
    EXPECT_EQ(p.m.mem[0x730B], 0);
    EXPECT_EQ(p.m.strPtr, 0x7000);
}

TEST(PushStr, KeyDecodesEveryByteAndTheKeyByteItselfEndsTheString) {
    const uint8_t key = 0x5A;
    Program p(Code{}
                  .op("STRKEY")
                  .u8(key)
                  .op("PUSH_STR")
                  .raw({uint8_t('o' ^ key), uint8_t('k' ^ key), key})
                  .op("PUSH_B")
                  .u8(3)
                  .op("EXIT"));
    p.run();
    EXPECT_EQ(stringAt(p.m, 0x7000), "ok");
    EXPECT_EQ(p.top(), 3u);  // the code went on after the key byte
    EXPECT_EQ(p.m.strKey, key);
    p.restart();
    EXPECT_EQ(p.m.strKey, 0);
}

TEST(PushStr, UnterminatedStringAtTheEndOfTheImageFaults) {
    Program p(Code{}.op("PUSH_STR").raw({'a', 'b'}));
    const RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_TRUE(p.m.faulted);
    EXPECT_NE(std::string(p.m.faultReason).find("PUSH_STR at 0x000010"), std::string::npos)
        << p.m.faultReason;
}

}  // namespace
}  // namespace corvane::test
