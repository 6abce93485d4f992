// The debugger's command lines as they are cut from what was read, however the reads fall.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/vrndbg/command_input.h"

namespace corvane {
namespace {

struct Case {
    const char* what;
    std::vector<std::string> reads;
    bool ended;
    std::vector<std::string> lines;
};

TEST(CommandInput, LinesWhateverTheReads) {
    const Case cases[] = {
        {"one read, two lines", {"c 7\nx 0x2000 4\n"}, false, {"c 7", "x 0x2000 4"}},
        {"a line split over reads", {"x 0x2", "000 ", "4\nq"}, false, {"x 0x2000 4"}},
        {"the last line without newline counts at the end", {"n\nq"}, true, {"n", "q"}},
        {"Windows line ends", {"c -2\r\n\r\nq\r\n"}, false, {"c -2", "", "q"}},
        {"a carriage return split from its newline", {"s\r", "\nn\n"}, false, {"s", "n"}},
        {"nothing but the end", {}, true, {}},
        {"an empty read changes nothing", {"", "c\n", ""}, false, {"c"}},
    };
    for (const Case& c : cases) {
        CommandInput input;
        for (const std::string& r : c.reads) input.feed(r.data(), r.size());
        if (c.ended) input.end();
        std::vector<std::string> got;
        while (input.hasLine()) got.push_back(input.take());
        EXPECT_EQ(got, c.lines) << c.what;
        EXPECT_EQ(input.ended(), c.ended) << c.what;
    }
}

TEST(CommandInput, EndingTwiceAddsNoLine) {
    CommandInput input;
    input.feed("q", 1);
    input.end();
    input.end();
    ASSERT_TRUE(input.hasLine());
    EXPECT_EQ(input.take(), "q");
    EXPECT_FALSE(input.hasLine());
}

}  // namespace
}  // namespace corvane
