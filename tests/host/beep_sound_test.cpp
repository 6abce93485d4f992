// "蜂鸣声": the program's Beep heard through the platform only when the user turned it on, and
// the choice remembered in vorn.ini.

#include <gtest/gtest.h>

#include "host/app.h"
#include "host/menu.h"
#include "host/window.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "tests/host/app_test_settings.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

struct BeepSound : ::testing::Test {
    TempDir dir;
    FakePlatform platform;
    AppSettings settings = settingsIn(dir);

    // Beeps twice, then waits for a key and beeps once more after it.
    BeepSound() { writeProgram(dir / "beeps.vrn", "Beep\nBeep\ngetchar\nBeep\nEXIT\n"); }

    void start(App& app) {
        Switches s;
        s.image = "beeps.vrn";
        ASSERT_EQ(app.startUp(s), 0);
    }
    // Runs until the program waits for a key (or for at most a few slices).
    void runToWait(App& app) {
        for (int i = 0; i < 100; ++i)
            if (app.turn().idle == IdleReason::WaitKey) return;
    }
};

TEST_F(BeepSound, HeardOnlyWhenChosenAndRemembered) {
    {
        App app(platform, settings);
        start(app);
        int told = 0;
        app.onBeep = [&] { ++told; };
        EXPECT_FALSE(app.beepSound());
        EXPECT_FALSE(app.window().menu().isChecked(kCmdBeepSound));
        runToWait(app);
        EXPECT_EQ(told, 2);            // every Beep is told
        EXPECT_EQ(platform.beeps, 0);  // but none heard: off by default

        app.command(kCmdBeepSound);
        EXPECT_TRUE(app.window().menu().isChecked(kCmdBeepSound));
        app.command(kCmdReset);
        runToWait(app);
        EXPECT_EQ(platform.beeps, 2);
        app.shutDown();
    }
    EXPECT_NE(readText(dir / "vorn.ini").find("Beep=1"), std::string::npos);
    {
        App again(platform, settings);
        start(again);
        EXPECT_TRUE(again.beepSound());
        EXPECT_TRUE(again.window().menu().isChecked(kCmdBeepSound));
        again.command(kCmdBeepSound);  // off again: written back as off
        again.shutDown();
    }
    EXPECT_NE(readText(dir / "vorn.ini").find("Beep=0"), std::string::npos);
    App third(platform, settings);
    start(third);
    EXPECT_FALSE(third.beepSound());
}

}  // namespace
}  // namespace corvane::test
