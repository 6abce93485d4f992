// vrndbg's x/NFU: the format letters after the slash, what stays from the last command, and
// the lines shown for the bytes read (units, signs, padding, characters, strings, the end of
// memory).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/vrndbg/examine.h"

namespace corvane {
namespace {

struct Case {
    const char* format;
    ExamineFormat last;  // the format the command before left
    std::vector<uint8_t> bytes;
    const char* shows;  // at address 0x2000; "" for a format that is refused
    uint32_t next;      // the address after what was shown
};

const Case kCases[] = {
    // The defaults: one long in hexadecimal, padded to its width.
    {"", {}, {0x14, 0, 0, 0}, "0x2000:\t0x00000014\n", 0x2004},
    {"/4xb", {}, {0x14, 0, 0xFF, 7}, "0x2000:\t0x14\t0x00\t0xFF\t0x07\n", 0x2004},
    // The handheld's int is two bytes, little-endian, signed under d and not under u.
    {"/2dh", {}, {0xFE, 0xFF, 0x14, 0}, "0x2000:\t-2\t20\n", 0x2004},
    {"/2uh", {}, {0xFE, 0xFF, 0x14, 0}, "0x2000:\t65534\t20\n", 0x2004},
    {"/dw", {}, {0x60, 0x79, 0xFE, 0xFF}, "0x2000:\t-100000\n", 0x2004},
    {"/ob", {}, {8}, "0x2000:\t010\n", 0x2001},
    {"/tb", {}, {5}, "0x2000:\t00000101\n", 0x2001},
    // Characters are bytes whatever unit the last command used; eight to a line.
    {"/9c",
     {1, 'x', 4},
     {'c', 'o', '\'', 0, '\n', 200, 'a', 'b', 'z'},
     "0x2000:\t99 'c'\t111 'o'\t39 '\\''\t0 '\\0'\t10 '\\n'\t-56 '\\310'\t97 'a'\t98 'b'\n"
     "0x2008:\t122 'z'\n",
     0x2009},
    // Strings end at their zero, the next one starts after it.
    {"/2s", {}, {'h', 'i', 0, '"', 0}, "0x2000:\t\"hi\"\n0x2003:\t\"\\\"\"\n", 0x2005},
    // The count and the format stay from the last command when left out; the unit too.
    {"", {3, 'd', 2}, {1, 0, 2, 0, 3, 0}, "0x2000:\t1\t2\t3\n", 0x2006},
    {"/x", {3, 'd', 2}, {1, 0, 2, 0, 3, 0}, "0x2000:\t0x0001\t0x0002\t0x0003\n", 0x2006},
    // Fewer bytes than asked (the end of memory): what there is.
    {"/4xh", {}, {1, 0, 2}, "0x2000:\t0x0001\n", 0x2002},
    {"/0x", {}, {}, "", 0},
    {"/4q", {}, {}, "", 0},
    {"/99999x", {}, {}, "", 0},
};

TEST(Examine, FormatsTheBytesAsGdbDoes) {
    for (const Case& c : kCases) {
        ExamineFormat f = c.last;
        std::string error;
        const bool ok = parseExamineFormat(c.format, f, error);
        if (std::string(c.shows).empty()) {
            EXPECT_FALSE(ok) << c.format;
            EXPECT_FALSE(error.empty()) << c.format;
            continue;
        }
        ASSERT_TRUE(ok) << c.format << ": " << error;
        uint32_t next = 0;
        EXPECT_EQ(examineLines(0x2000, c.bytes, f, next), c.shows) << c.format;
        EXPECT_EQ(next, c.next) << c.format;
    }
}

}  // namespace
}  // namespace corvane
