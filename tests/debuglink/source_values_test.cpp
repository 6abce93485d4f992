// print's expressions and frames over a made-up snapshot: the cases the end-to-end session does
// not reach (unions, void pointers, pointer arithmetic, long arrays, mistakes in an expression).

#include <gtest/gtest.h>

#include "tools/vrndbg/source_values.h"

namespace corvane::test {
namespace {

struct Fixture {
    DebugInfo info;
    std::vector<uint8_t> snap = std::vector<uint8_t>(20480, 0);
    StopState stop;

    void put(uint32_t addr, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) snap[addr - 0x2000 + uint32_t(i)] = uint8_t(v >> (8 * i));
    }

    Fixture() {
        using T = DebugType;
        info.types = {
            {T::Scalar, 2, true, "int", -1, 0, {}},                           // 0
            {T::Scalar, 1, false, "char", -1, 0, {}},                         // 1
            {T::Pointer, 2, false, "", 0, 0, {}},                             // 2 int *
            {T::Union, 2, false, "cell", -1, 0, {{"a", 0, 0}, {"b", 0, 1}}},  // 3
            {T::Void, 0, false, "", -1, 0, {}},                               // 4
            {T::Pointer, 2, false, "", 4, 0, {}},                             // 5 void *
            {T::Array, 0, false, "", 0, 150, {}},                             // 6 int [150]
            {T::Scalar, 8, true, "long long", -1, 0, {}},                     // 7
            {T::Scalar, 8, false, "unsigned long long", -1, 0, {}},           // 8
            {T::Scalar, 8, true, "double", -1, 0, {}},                        // 9
            {T::Scalar, 4, true, "float", -1, 0, {}},                         // 10
        };
        info.globals = {{"x", 0x2000, 0, 0, 0},  {"p", 0x2002, 2, 0, 0},   {"u", 0x2004, 3, 0, 0},
                        {"vp", 0x2006, 5, 0, 0}, {"big", 0x2010, 6, 0, 0}, {"far", 0x2008, 2, 0, 0},
                        {"ll", 0x2200, 7, 0, 0}, {"ull", 0x2208, 8, 0, 0}, {"d", 0x2210, 9, 0, 0},
                        {"fl", 0x2218, 10, 0, 0}};
        info.functions = {{1, "f", 0x10, 0x40, 1, 3, 0, {{"n", 5, 0, 0, 0}}, {}}};
        put(0x2000, 0xFFFD, 2);      // x = -3
        put(0x2002, 0x2000, 2);      // p = &x
        put(0x2004, 0x0141, 2);      // u.a = 321, u.b = 'A'
        put(0x2006, 0x2000, 2);      // vp
        put(0x2008, 0x7000, 2);      // far: past the data area
        put(0x2200, 0xD5FA0E00, 4);  // ll = -5000000000: 0xFFFFFFFED5FA0E00
        put(0x2204, 0xFFFFFFFE, 4);
        put(0x2208, 0xFFFFFFFF, 4);  // ull = 2^64 - 1
        put(0x220C, 0xFFFFFFFF, 4);
        put(0x2210, 0x9999999A, 4);  // d = 0.1: 0x3FB999999999999A
        put(0x2214, 0x3FB99999, 4);
        put(0x2218, 0xC0200000, 4);  // fl = -2.5f
        put(0x3000, 0x000050, 3);    // f's return address: the start-up code
        put(0x3003, 0x2F00, 2);
        put(0x3005, 7, 4);  // n
        stop = {&snap, 0x3000, 1, lineValue(1, 5)};
    }
};

TEST(SourceValues, PrintsExpressionsOrSaysWhatIsWrong) {
    Fixture fx;
    const std::vector<Frame> frames = walkFrames(fx.info, fx.stop);
    ASSERT_EQ(frames.size(), 1u);  // the return address lies in no function
    ASSERT_EQ(frames[0].function, &fx.info.functions[0]);
    struct Case {
        const char* expr;
        bool ok;
        const char* text;
    };
    const Case cases[] = {
        {"x", true, "x = -3\n"},
        {"-x", true, "-x = 3\n"},
        {"&x", true, "&x = (int *) 0x2000\n"},
        {"*p", true, "*p = -3\n"},
        {" p + 1 ", true, "p + 1 = (int *) 0x2002\n"},
        {"p - p", true, "p - p = 0\n"},
        {"n", true, "n = 7\n"},
        {"u", true, "u = {a = 321, b = 65 'A'}\n"},
        {"big[149]", true, "big[149] = 0\n"},
        {"ll", true, "ll = -5000000000\n"},
        {"ull", true, "ull = 18446744073709551615\n"},
        {"d", true, "d = 0.1\n"},
        {"fl", true, "fl = -2.5\n"},
        {"1 - p", false, "a pointer cannot be taken from a number\n"},
        {"p + p", false, "two pointers cannot be added\n"},
        {"*vp", false, "a void pointer cannot be followed\n"},
        {"*far", false, "cannot read 0x7000: outside the data area 0x2000-0x6FFF\n"},
        {"x[0]", false, "only an array or a pointer can be indexed\n"},
        {"x.a", false, "'a' is asked of something that is not a struct or union\n"},
        {"(x", false, "')' expected\n"},
        {"x y", false, "unexpected 'y'\n"},
        {"", false, "a name or a number expected\n"},
        {"u + 1", false, "a union cell is not a number\n"},
    };
    for (const Case& c : cases) {
        ValuePrinter vp(fx.info, fx.stop, frames[0]);
        std::string out;
        EXPECT_EQ(vp.print(c.expr, out), c.ok) << c.expr;
        EXPECT_EQ(out, c.text) << c.expr;
    }
    // A long array shows its first hundred elements.
    ValuePrinter vp(fx.info, fx.stop, frames[0]);
    std::string out;
    ASSERT_TRUE(vp.print("big", out));
    EXPECT_EQ(out.rfind("big = {0, 0, ", 0), 0u);
    EXPECT_NE(out.find(", ...}\n"), std::string::npos);
}

TEST(SourceValues, FramesFollowSavedFpsAndStopAtABrokenChain) {
    Fixture fx;
    fx.info.functions.push_back({2, "g", 0x40, 0x80, 1, 9, 0, {}, {}});
    fx.info.lines = {{0x44, lineValue(1, 10), LineKind::Statement},
                     {0x60, lineValue(1, 12), LineKind::Statement}};
    // f (at 0x3000) was called from g's line 12; g's frame at 0x2F00 was called from start-up.
    fx.put(0x3000, 0x000065, 3);
    fx.put(0x2F00, 0x000008, 3);
    fx.put(0x2F03, 0x2E00, 2);
    std::vector<Frame> frames = walkFrames(fx.info, fx.stop);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].function->name, "g");
    EXPECT_EQ(frames[1].fp, 0x2F00);
    EXPECT_EQ(frames[1].line, lineValue(1, 12));
    // A saved fp that does not lie below its frame ends the walk instead of looping.
    fx.put(0x3003, 0x3000, 2);
    EXPECT_EQ(walkFrames(fx.info, fx.stop).size(), 1u);
}

}  // namespace
}  // namespace corvane::test
