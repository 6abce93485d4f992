// The app's input: the key map from vorn.ini and gamepad buttons reaching the program, the key
// that closed a dialog or the menu kept from it, rewinding through the last seconds, and the
// window at a debugger stop.

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "host/app.h"
#include "host/lcd.h"
#include "host/skin.h"
#include "host/virtual_keys.h"
#include "host/window.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "tests/host/app_test_settings.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

// A platform with gamepad buttons too.
struct PadPlatform : FakePlatform {
    uint32_t pad = 0;
    uint32_t gamepadButtons() override { return pad; }
};

struct AppInput : ::testing::Test {
    TempDir dir;
    PadPlatform platform;
    AppSettings settings;

    AppInput() {
        settings = settingsIn(dir);
        writeProgram(dir / "waits.vrn", "getchar\nEXIT\n");
        // Counts at 0x2000, one count every 100 ms.
        writeProgram(dir / "counts.vrn",
                     "loop: PUSH_D 0x40000 + 0x2000\n PREINC\n POP_COND\n PUSH_B 100\n Delay\n"
                     " JMP loop\n");
    }

    void start(App& app, const char* image) {
        Switches s;
        s.image = image;
        ASSERT_EQ(app.startUp(s), 0);
    }

    // Runs until the frame `last` has passed (or the program ends).
    void runTo(App& app, uint64_t last) {
        for (int i = 0; i < 1'000'000 && app.runLoop().frames() < last; ++i) {
            SliceResult r = app.turn();
            if (r.idle == IdleReason::NoProgram && !app.machine().programLoaded && !app.rewinding())
                return;
            if (r.idle != IdleReason::None) platform.waitUntil(r.wakeNs);
        }
    }

    void event(App& app, PlatformEvent::Type type, uint32_t code) {
        PlatformEvent e;
        e.type = type;
        e.code = code;
        app.handleEvent(e);
    }

    static uint32_t count(App& app) {
        uint32_t v;
        std::memcpy(&v, &app.machine().mem[0x2000], 4);
        return v;
    }
};

TEST_F(AppInput, RemappedKeysAndGamepadButtonsReachTheProgram) {
    writeText(dir / "vorn.ini", "[Keys]\nW=Up\n[Gamepad]\nY=Shift\n");
    struct Case {
        const char* what;
        uint8_t key;
        uint32_t pad;
        uint32_t received;
    };
    const Case cases[] = {
        {"W bound to the up arrow", 'W', 0, 0x14},
        {"A as itself", 'A', 0, 'a'},
        {"the gamepad's A is Enter", 0, padBit(PadButton::A), 0x0D},
        {"the d-pad's left", 0, padBit(PadButton::DPadLeft), 0x17},
        {"Y bound to Shift", 0, padBit(PadButton::Y), 0x1A},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform.keys = {};
        platform.pad = 0;
        App app(platform, settings);
        start(app, "waits.vrn");
        app.onFrameStart = [&](uint64_t frame) {
            if (frame != 3) return;
            if (c.key) platform.keys[c.key] = 0x80;
            platform.pad = c.pad;
        };
        runTo(app, 20);
        EXPECT_FALSE(app.machine().programLoaded);
        EXPECT_EQ(app.machine().slot(0), c.received);
    }
}

TEST_F(AppInput, GamepadButtonsCarryOutActionsAndPlugsAreNoticed) {
    writeText(dir / "vorn.ini", "[Gamepad]\nStart=Pause\nLeftShoulder=FastForward\n");
    App app(platform, settings);
    start(app, "waits.vrn");
    event(app, PlatformEvent::Type::PadDown, uint32_t(PadButton::Start));
    EXPECT_TRUE(app.paused());
    event(app, PlatformEvent::Type::PadUp, uint32_t(PadButton::Start));
    event(app, PlatformEvent::Type::PadDown, uint32_t(PadButton::LeftShoulder));
    EXPECT_GT(app.runLoop().fastForward(), 1u);
    event(app, PlatformEvent::Type::PadUp, uint32_t(PadButton::LeftShoulder));
    EXPECT_EQ(app.runLoop().fastForward(), 1u);

    PlatformEvent plugged;
    plugged.type = PlatformEvent::Type::PadPlugged;
    plugged.value = 1;
    plugged.path = "Pad";
    app.handleEvent(plugged);
    EXPECT_EQ(app.window().notice(), "手柄已连接: Pad");
}

// The user picks a file (or a menu item) with Enter; Enter is still down when the program goes
// on, and it must not count as the program's next key.
TEST_F(AppInput, TheKeyThatClosedADialogOrTheMenuIsNotTheProgramsKey) {
    struct Case {
        const char* what;
        std::function<void(App&)> closeWithEnter;
    };
    const Case cases[] = {
        {"the program's file chooser",
         [&](App& app) {
             writeText(dir / "chosen.txt", "x");
             platform.dialogAnswers.push_back((dir / "chosen.txt").string());
             platform.keys[0x0D] = 0x80;  // pressed in the dialog
             ASSERT_TRUE(app.chooseFile(dir.text()));
         }},
        {"the menu, Reset chosen by keys",
         [&](App& app) {
             PlatformEvent right;
             right.type = PlatformEvent::Type::RightDown;
             right.x = 150;
             right.y = 300;
             app.handleEvent(right);
             for (int i = 0; i < 3; ++i) event(app, PlatformEvent::Type::KeyDown, 0x28);
             platform.keys[0x0D] = 0x80;
             event(app, PlatformEvent::Type::KeyDown, 0x0D);
             ASSERT_FALSE(app.window().menu().isOpen());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform.keys = {};
        App app(platform, settings);
        start(app, "waits.vrn");
        runTo(app, 3);
        c.closeWithEnter(app);
        runTo(app, 10);
        EXPECT_TRUE(app.machine().programLoaded) << "Enter reached the program";
        platform.keys[0x0D] = 0;
        runTo(app, 12);
        platform.keys['A'] = 0x80;
        runTo(app, 20);
        EXPECT_FALSE(app.machine().programLoaded);
        EXPECT_EQ(app.machine().slot(0), uint32_t('a'));
    }
}

TEST_F(AppInput, HeldRewindStepsBackThroughTheLastSecondsThenTheProgramGoesOn) {
    App app(platform, settings);
    start(app, "counts.vrn");
    std::map<uint32_t, uint64_t> firstFrameOfCount;
    app.onFrameEnd = [&](uint64_t frame) { firstFrameOfCount.emplace(count(app), frame); };
    runTo(app, 180);  // 3 s: about 30 counts
    const uint32_t before = count(app);
    ASSERT_GE(before, 25u);
    EXPECT_GT(app.rewindHistory().count(), 20u);

    event(app, PlatformEvent::Type::KeyDown, vk::kBackspace);
    EXPECT_EQ(app.programKeys()[vk::kBackspace], 0);
    runTo(app, 181);  // a tap steps one state back at once
    EXPECT_EQ(app.window().notice(), "倒带 0.1 秒");
    runTo(app, 240);  // held for a second: a second back, in real time
    const uint32_t back = count(app);
    EXPECT_EQ(app.window().notice(), "倒带 1.0 秒");
    EXPECT_GE(before - back, 8u);
    EXPECT_LE(before - back, 12u);
    // Held on, it stops at the oldest state it has; the program does not run meanwhile.
    runTo(app, 400);
    const uint32_t oldest = count(app);
    EXPECT_LT(oldest, back);
    EXPECT_GE(oldest, 1u);
    event(app, PlatformEvent::Type::KeyUp, vk::kBackspace);
    runTo(app, 460);
    EXPECT_GT(count(app), oldest + 5) << "the program goes on from where the rewind ended";

    // Off in vorn.ini, nothing is kept and Backspace does nothing to the program.
    writeText(dir / "vorn.ini", "[Corvane]\nRewindSeconds=0\n");
    App off(platform, settings);
    start(off, "counts.vrn");
    runTo(off, 60);
    EXPECT_EQ(off.rewindHistory().count(), 0u);
    const uint32_t at = count(off);
    event(off, PlatformEvent::Type::KeyDown, vk::kBackspace);
    runTo(off, 70);
    EXPECT_EQ(count(off), at);  // held, nothing to go back to: the program waits
    EXPECT_EQ(off.window().notice(), "没有可倒带的记录");
}

TEST_F(AppInput, RewindSettingsBoundTheHistory) {
    struct Case {
        const char* ini;
        uint32_t states;
    };
    const Case cases[] = {
        {"", 100},                                                             // 10 s, 10 a second
        {"[Corvane]\nRewindSeconds=2\nRewindInterval=7\n", 18},                // 9 a second
        {"[Corvane]\nRewindInterval=0\n", 100},                                // the usual one
        {"[Corvane]\nRewindSeconds=4000000000\nRewindInterval=1\n", 100'000},  // the cap
    };
    for (const Case& c : cases) {
        writeText(dir / "vorn.ini", c.ini);
        App app(platform, settings);
        start(app, "counts.vrn");
        EXPECT_EQ(app.rewindHistory().limits().states, c.states) << c.ini;
    }
}

TEST_F(AppInput, AStateIsTakenEveryIntervalAndNoneWhilePaused) {
    writeText(dir / "vorn.ini", "[Corvane]\nRewindSeconds=100\nRewindInterval=5\n");
    App app(platform, settings);
    start(app, "counts.vrn");
    runTo(app, 50);
    const size_t before = app.rewindHistory().count();
    runTo(app, 160);
    EXPECT_EQ(app.rewindHistory().count() - before, 22u);
    // Paused by the user, the program holds still and its history with it.
    event(app, PlatformEvent::Type::KeyDown, 0x78);  // F9
    event(app, PlatformEvent::Type::KeyUp, 0x78);
    ASSERT_TRUE(app.paused());
    const size_t paused = app.rewindHistory().count();
    runTo(app, 260);
    EXPECT_EQ(app.rewindHistory().count(), paused);
}

TEST_F(AppInput, RewindHistoryStaysSmallForAProgramThatChangesLittle) {
    App app(platform, settings);
    start(app, "counts.vrn");
    runTo(app, 60 * 12);
    EXPECT_EQ(app.rewindHistory().count(), 100u);  // ten seconds, then the oldest go
    // One whole state and 99 differences of a few bytes each.
    EXPECT_LT(app.rewindHistory().bytes(), 70'000u + 99 * 64);
}

// A stop at a line marker shows the screen as the program left it there, also after the window
// was painted again (with the splash of a program started from the command line).
TEST_F(AppInput, WindowShowsTheProgramAtADebuggerStop) {
    writeProgram(dir / "stops.vrn",
                 "PUSH_D 0x40000 + 0x18C0\n PUSH_D 0xFFFFFFFF\n ASSIGN\n POP_COND\n LINE 5\n"
                 " EXIT\n");
    App app(platform, settings);
    Switches s;
    s.image = "stops.vrn";
    s.stopValue = -2;
    ASSERT_EQ(app.startUp(s), 0);
    app.turn();
    ASSERT_TRUE(app.machine().paused);
    ASSERT_TRUE(app.machine().programLoaded);
    auto dark = [&](int x, int y) {
        const uint8_t* p = platform.presented.at(x, y);
        return p[0] == 0 && p[1] == 0 && p[2] == 0;
    };
    EXPECT_TRUE(dark(54, 44));
    EXPECT_TRUE(dark(54 + 2 * 31, 44));
    EXPECT_FALSE(dark(54 + 2 * 32, 44));
    PlatformEvent expose;
    expose.type = PlatformEvent::Type::Expose;
    app.handleEvent(expose);
    EXPECT_TRUE(dark(54, 44)) << "the repaint covered the stopped program with the splash";
}

}  // namespace
}  // namespace corvane::test
