// The console demo marks each page with a line marker. Started with a stop value (/S), the
// machine halts at that marker and waits for a debugger, so the LCD keeps showing the page
// before it however many keys follow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/demos/demo_run.h"

namespace corvane::test {
namespace {

TEST(DemoMarkers, ConsoleStopsAtThePageMarkerAsked) {
    // Keys that would walk through every page without a stop.
    const std::string keys = "200:space 400:space 520:space 700:space";
    const std::string blank = "P4\n160 80\n" + std::string(1600, '\0');
    struct Case {
        const char* stop;
        const char* golden;  // what stays on the LCD; nullptr: nothing was ever drawn
    };
    const Case cases[] = {
        {"/S1", nullptr},  // the first page's marker comes before any output
        {"/S2", "console_large_done"},
        {"/S3", "console_small_done"},
        {"", "console_textout"},  // without /S no marker stops
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stop);
        DemoRun run;
        std::vector<std::string> args = {"--keys", keys, "--max-frames", "850", "--lcd", "end.pbm"};
        if (*c.stop) args.push_back(c.stop);
        DemoOutcome o = run.run("console", args);
        EXPECT_EQ(o.status, 2) << o.err;  // stopped, or waiting at the last page
        if (c.golden)
            EXPECT_TRUE(matchesGolden(c.golden, run.capture("end.pbm")));
        else
            EXPECT_EQ(run.capture("end.pbm"), blank);
    }
}

}  // namespace
}  // namespace corvane::test
