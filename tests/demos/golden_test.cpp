// Every demo runs in corvane-run with a scripted key sequence; LCD captures at chosen frames are
// compared with golden pictures, so a change anywhere from the interpreter to the console that
// alters what a demo shows is caught. Time is virtual, so the runs are exact.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/demos/demo_run.h"

namespace corvane::test {
namespace {

struct Capture {
    int frame;
    const char* golden;  // tests/golden/demos/<golden>.pbm
};

struct DemoScript {
    const char* demo;
    std::string keys;
    std::vector<std::string> extra;  // "{root}" stands for the run's root directory
    std::vector<Capture> captures;
    int maxFrames;
};

// Each script ends with Esc, which ends the standalone demo.
const DemoScript kScripts[] = {
    {"console",
     "200:space 400:space 520:space 700:space 800:esc",
     {},
     {{60, "console_large_scrolling"},
      {190, "console_large_done"},
      {215, "console_small"},
      {390, "console_small_done"},
      {510, "console_locate"},
      {600, "console_skip_mask"},
      {790, "console_textout"}},
     900},
    {"draw",
     "100:space 200:space 420:space 500:space 600:space 800:esc",
     {},
     {{90, "draw_shapes"},
      {150, "draw_radar"},
      {300, "draw_wave"},
      {460, "draw_flip_before"},
      {480, "draw_flip_mirrored"},
      {550, "draw_sprites"},
      {700, "draw_fill"}},
     900},
    {"keys",
     "20:a 40:up 60:p 80:+r 100:-r 110:+left 112:+shift 130:-left 130:-shift 140:esc 150:esc",
     {},
     {{30, "keys_letter"},
      {50, "keys_arrow"},
      {70, "keys_putkey"},
      {95, "keys_release_repeats"},
      {120, "keys_held"},
      {145, "keys_esc_once"}},
     300},
    {"snake",
     "30:enter 320:esc",
     {},
     {{20, "snake_title"}, {60, "snake_start"}, {150, "snake_ate"}, {300, "snake_over"}},
     400},
    {"files",
     "60:space 80:space 100:space 130:space 150:esc",
     {"--dialog", "{root}/hello.txt"},
     {{50, "files_write_read"}, {70, "files_read_back"}, {90, "files_chdir"}, {120, "files_list"}},
     300},
    {"clock",
     "750:esc",
     {"--date", "2024-05-17T13:45:50"},
     {{30, "clock_start"}, {700, "clock_later"}},
     800},
    {"showcase",
     "20:down 30:down 40:enter 60:esc 70:esc 100:esc",
     {},
     {{15, "showcase_menu"},
      {35, "showcase_menu_moved"},
      {50, "showcase_keys"},
      {90, "showcase_back"}},
     200},
};

TEST(DemoGoldens, EveryDemoShowsWhatItShowedBefore) {
    for (const DemoScript& s : kScripts) {
        SCOPED_TRACE(s.demo);
        DemoRun run;
        // A fresh root: the file demo needs nothing but a file to choose in the dialog.
        writeText(run.root() / "hello.txt", "Hello file list\nsecond line\n");

        std::vector<std::string> args = {"--keys", s.keys, "--max-frames",
                                         std::to_string(s.maxFrames)};
        for (std::string a : s.extra) {
            if (auto at = a.find("{root}"); at != std::string::npos)
                a.replace(at, 6, run.root().string());
            args.push_back(a);
        }
        for (const Capture& c : s.captures) {
            args.push_back("--lcd");
            args.push_back(std::to_string(c.frame) + ":" + c.golden + ".pbm");
        }
        DemoOutcome o = run.run(s.demo, args);
        EXPECT_EQ(o.status, 0) << "the demo should end at its last Esc\n" << o.err;
        EXPECT_EQ(o.err, "");
        for (const Capture& c : s.captures)
            EXPECT_TRUE(matchesGolden(c.golden, run.capture(std::string(c.golden) + ".pbm")))
                << "frame " << c.frame;
    }
}

}  // namespace
}  // namespace corvane::test
