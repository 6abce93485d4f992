// Message texts wrapped to a width: at spaces, after a path's separators, next to wide
// characters, and cut where nothing else breaks.

#include <gtest/gtest.h>

#include "host/text_wrap.h"

namespace corvane::test {
namespace {

TEST(TextWrap, BreaksWhereALineMayBreak) {
    struct Case {
        const char* text;
        int columns;
        const char* wrapped;
    };
    const Case cases[] = {
        {"short line", 20, "short line"},
        {"one two three", 8, "one two\nthree"},   // the space at the break is dropped
        {"one two  three", 7, "one two\nthree"},  // and so are the ones before it
        {"abcdefghij", 4, "abcd\nefgh\nij"},      // nothing to break at: cut
        {"x /home/me/corvane/shots", 12, "x /home/me/\ncorvane/\nshots"},  // after separators
        {"C:\\a b\\corvane\\x", 9, "C:\\a b\\\ncorvane\\x"},
        {"截图: /a/b", 6, "截图:\n/a/b"},  // a wide character takes two columns
        {"根目录根目录", 5, "根目\n录根\n目录"},
        {"a 根目录", 5, "a 根\n目录"},
        {"first\n\nsecond line here", 7, "first\n\nsecond\nline\nhere"},  // line ends stay
        {"  indented", 20, "  indented"},
        {"ends with\n", 20, "ends with\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wrapText(c.text, c.columns), c.wrapped) << c.text << " / " << c.columns;
}

TEST(TextWrap, ColumnsOfAWindowWideBox) {
    EXPECT_EQ(messageColumns(435), 53);
    EXPECT_EQ(messageColumns(870), 115);
    EXPECT_EQ(messageColumns(100), 30);  // never narrower than a readable line
}

}  // namespace
}  // namespace corvane::test
