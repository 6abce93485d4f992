// The showcase under 10,000 frames of scripted play: every screen is visited again and again,
// chosen with the arrows and left with Esc. The machine must never fault, the showcase must
// still be running at the end, and the files that the screens leave behind show that the script
// really reached them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/demos/demo_run.h"

namespace corvane::test {
namespace {

enum Screen { kConsole, kDraw, kKeys, kSnake, kFiles, kClock, kScreens };

// Builds the key script: taps at chosen frames, each followed by a pause long enough for the
// screen to take the key.
class Play {
  public:
    void tap(const std::string& key, int pause) {
        script_ += std::to_string(frame_) + ":" + key + " ";
        frame_ += pause;
    }
    void wait(int frames) { frame_ += frames; }
    int frame() const { return frame_; }
    const std::string& script() const { return script_; }

    // From the menu: walks down to the screen, plays it, and comes back to the menu.
    void visit(Screen screen) {
        while (selected_ != screen) {
            tap("down", 10);
            selected_ = Screen((selected_ + 1) % kScreens);
        }
        tap("enter", 30);
        switch (screen) {
            case kConsole:
                for (int page = 0; page < 5; ++page) tap("space", 150);
                tap("esc", 200);
                break;
            case kDraw:
                for (int page = 0; page < 5; ++page) tap("space", 100);
                tap("esc", 60);
                break;
            case kKeys:
                for (const char* key : {"a", "up", "p", "r", "shift", "1", "period", "f1"})
                    tap(key, 10);
                tap("esc", 10);  // the tester leaves at the second Esc in a row
                tap("esc", 40);
                break;
            case kSnake:
                tap("enter", 100);  // the snake eats the food straight ahead, then turns
                for (const char* key : {"up", "left", "down", "right"}) tap(key, 30);
                tap("esc", 60);  // gives up: the game-over box
                tap("esc", 40);
                break;
            case kFiles:
                for (int page = 0; page < 3; ++page) tap("space", 20);  // up to FileList
                tap("esc", 40);
                ++fileVisits_;
                break;
            case kClock:
                wait(200);
                tap("esc", 40);
                break;
            case kScreens:
                break;
        }
    }
    int fileVisits() const { return fileVisits_; }

  private:
    int frame_ = 20;
    Screen selected_ = kConsole;
    std::string script_;
    int fileVisits_ = 0;
};

TEST(Showcase, TenThousandFramesOfPlayWithoutAFault) {
    Play play;
    while (play.frame() < 9000) {
        for (int s = 0; s < kScreens && play.frame() < 9000; ++s) play.visit(Screen(s));
    }
    DemoRun run;
    writeText(run.root() / "pick.txt", "chosen\n");
    std::vector<std::string> args = {"--keys", play.script(), "--max-frames",
                                     "10000",  "--lcd",       "end.pbm"};
    // FileList is answered in turn with a file and with a cancelled dialog.
    for (int i = 0; i < play.fileVisits(); ++i) {
        args.push_back("--dialog");
        args.push_back(i % 2 ? "cancel" : (run.root() / "pick.txt").string());
    }
    DemoOutcome o = run.run("showcase", args);
    EXPECT_EQ(o.status, 2) << "waiting at the menu, not the end of the program or a fault\n"
                           << o.err;
    EXPECT_EQ(o.err, "corvane-run: the program waits for a key and no scripted input is left\n");

    EXPECT_EQ(readText(run.root() / "runs.dat"), std::string(play.fileVisits(), 'x'));
    EXPECT_EQ(readText(run.root() / "snake.hi"), std::string("\x0A\0\0\0", 4));

    // The script ends on the menu, back from its last screen.
    EXPECT_TRUE(matchesGolden("showcase_after_play", run.capture("end.pbm")));
}

// Each menu item starts its screen, which looks as the demo does on its own: the screens share
// the showcase's memory, so one that relied on what another left there would show it here.
TEST(Showcase, MenuStartsEachScreenAsItsOwnProgramShowsIt) {
    struct Case {
        const char* keys;  // from the menu, on the console's item
        int frame;
        const char* golden;
    };
    const Case cases[] = {
        {"20:enter", 230, "console_large_done"},
        {"20:down 30:enter", 60, "draw_shapes"},
        {"20:down 30:down 40:enter", 60, "showcase_keys"},
        {"20:right 30:enter", 60, "snake_title"},
        {"20:right 30:down 40:enter", 60, "files_write_read"},
        {"20:left 30:down 40:enter", 60, "files_write_read"},  // Left, like Right: 3 items on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        DemoRun run;
        DemoOutcome o =
            run.run("showcase", {"--keys", c.keys, "--lcd", std::to_string(c.frame) + ":shown.pbm",
                                 "--max-frames", std::to_string(c.frame + 10)});
        EXPECT_EQ(o.status, 2) << o.err;
        EXPECT_TRUE(matchesGolden(c.golden, run.capture("shown.pbm")));
    }
}

}  // namespace
}  // namespace corvane::test
