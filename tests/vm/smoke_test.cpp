// A program from its first instruction to EXIT.

#include <gtest/gtest.h>

#include "support/program.h"

namespace corvane::test {
namespace {

TEST(Program, RunsToExitAndReportsTheEnd) {
    Program p(Code{}.op(0x01).u8(7).op(0x01).u8(5).op(0x21).op(0x40));
    const RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(r.executed, 4u);
    EXPECT_EQ(p.top(), 12u);
    EXPECT_FALSE(p.m.programLoaded);
    EXPECT_FALSE(p.m.faulted);
}

}  // namespace
}  // namespace corvane::test
