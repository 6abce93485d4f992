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

// How the keys steer shows in the outcome of a short game: whether the first food (straight ahead
// of the start) is eaten, and how soon the game is over.
TEST(Snake, KeysSteerTheSnake) {
    struct Case {
        const char* label;
        const char* keys;
        int frames;
        std::optional<uint32_t> best;  // the best-score file after the run, if one was written
    };
    const Case cases[] = {
        {"straight on: eats, then hits the right wall", "30:enter", 400, 10},
        {"straight back is ignored", "30:enter 40:left", 400, 10},
        {"up at once: misses the food, hits the top wall", "30:enter 40:up", 400, std::nullopt},
        {"down at once: misses the food, hits the bottom wall", "30:enter 40:down", 400,
         std::nullopt},
        {"up and right again: back on the food's row too late", "30:enter 40:up 52:right", 400,
         std::nullopt},
        {"not yet over after 200 frames at normal speed", "30:enter", 200, std::nullopt},
        {"Space held: twice as fast, over within 200 frames", "30:enter 31:+space", 200, 10},
        {"Esc gives up with the score so far", "30:enter 150:esc", 400, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DemoRun run;
        run.run("snake", {"--keys", c.keys, "--max-frames", std::to_string(c.frames)});
        if (c.best)
            EXPECT_EQ(readText(run.root() / "snake.hi"), longBytes(*c.best));
        else
            EXPECT_FALSE(std::filesystem::exists(run.root() / "snake.hi"));
    }
}

}  // namespace
}  // namespace corvane::test
