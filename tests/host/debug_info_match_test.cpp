// Debug information is taken only when every marker it lists is in the image, at its address
// with its value: C line records and an assembly program's marks alike, so a `.dbg` left from an
// earlier build of the same program is refused rather than believed.

#include <gtest/gtest.h>

#include "host/source_map.h"
#include "tools/vrnasm/assembler.h"

namespace corvane {
namespace {

TEST(DebugInfoMatch, EveryListedMarkerMustBeInTheImage) {
    // LINE 5 at 0x10, LINE 9 at 0x14, then a NOP at 0x18.
    const std::vector<uint8_t> image = assembleOrThrow("LINE 5\nLINE 9\nNOP\nEXIT\n");
    struct Case {
        const char* what;
        std::vector<DebugLine> lines;
        std::vector<DebugMark> marks;
        bool matches;
    };
    const Case cases[] = {
        {"nothing listed", {}, {}, true},
        {"a line at its marker", {{0x10, 5}}, {}, true},
        {"a line with another value", {{0x10, 6}}, {}, false},
        {"marks at their markers", {}, {{0x10, 5, 1}, {0x14, 9, 2}}, true},
        {"a mark with another value", {}, {{0x14, 5, 1}}, false},
        {"a mark where no marker is", {}, {{0x18, 0, 1}}, false},
        {"a mark past the image's end", {}, {{0x1000, 5, 1}}, false},
        {"a mark whose operand runs past the end", {}, {{uint32_t(image.size() - 2), 0, 1}}, false},
    };
    for (const Case& c : cases) {
        DebugInfo info;
        info.files = {"a.s", "b.s"};
        info.lines = c.lines;
        info.marks = c.marks;
        EXPECT_EQ(debugInfoMatches(info, image.data(), uint32_t(image.size())), c.matches)
            << c.what;
    }
}

}  // namespace
}  // namespace corvane
