// The snake game keeps its best score in "\snake.hi" in the root directory. One scripted game
// eats the first food (10 points) and runs into the wall; the file on disk afterwards must hold
// the better of the old best and 10.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tests/demos/demo_run.h"

namespace corvane::test {
namespace {

const char* kOneGame = "30:enter 320:esc";  // start, play until the crash, leave

std::string longBytes(uint32_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

TEST(Snake, BestScoreFileAfterOneGame) {
    struct Case {
        const char* label;
        std::optional<std::string> before;  // the file's bytes before the game, if any
        uint32_t after;
    };
    const Case cases[] = {
        {"no file yet", std::nullopt, 10},
        {"lower best", longBytes(5), 10},
        {"equal best", longBytes(10), 10},
        {"higher best", longBytes(50), 50},
        {"file too short", std::string("\x07\x00", 2), 10},
        {"empty file", std::string(), 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DemoRun run;
        if (c.before) writeText(run.root() / "snake.hi", *c.before);
        DemoOutcome o = run.run("snake", {"--keys", kOneGame, "--max-frames", "400"});
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(readText(run.root() / "snake.hi"), longBytes(c.after));
    }
}

TEST(Snake, BestScoreSurvivesIntoTheNextRun) {
    DemoRun run;
    DemoOutcome first = run.run("snake", {"--keys", kOneGame, "--max-frames", "400"});
    ASSERT_EQ(first.status, 0) << first.err;
    // The second run's title shows the kept best score; leaving at once keeps the file.
    DemoOutcome second =
        run.run("snake", {"--keys", "30:esc", "--lcd", "20:title.pbm", "--max-frames", "100"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_TRUE(matchesGolden("snake_title_best10", run.capture("title.pbm")));
    EXPECT_EQ(readText(run.root() / "snake.hi"), longBytes(10));
}

}  // namespace
}  // namespace corvane::test
