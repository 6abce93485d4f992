// Start-up and shutdown: the configuration file, the font data file, the command line's image,
// and the events the message loop hands to the host.

#include <gtest/gtest.h>

#include <cstring>

#include "host/app.h"
#include "host/lcd.h"
#include "host/texts.h"
#include "host/virtual_keys.h"
#include "host/window.h"
#include "shared/debuglink.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

struct AppFixture : ::testing::Test {
    TempDir dir;
    FakePlatform platform;
    AppSettings settings;

    AppFixture() {
        std::filesystem::create_directories(dir / "shell");
        settings.paths.root = dir.path();
        settings.paths.configFile = dir / "vorn.ini";
        settings.paths.fontFile = dir / "duzezi.dat";
        settings.startDir = (dir / "shell").string();
        writeText(dir / "duzezi.dat", "");  // short: the tables stay blank, no message
        writeProgram(dir / "ends.vrn", "PUSH_B 1\nEXIT\n");
        writeProgram(dir / "waits.vrn", "getchar\nEXIT\n");
    }
    // The text of vorn.ini; the Windows profile functions end the lines they write with CR LF.
    std::string ini() {
        std::string text = readText(dir / "vorn.ini");
        std::erase(text, '\r');
        return text;
    }
    std::string rootText() { return dir.path().string(); }
};

TEST_F(AppFixture, FirstStartCreatesTheConfigurationAndTheEndSavesTheDirectory) {
    App app(platform, settings);
    ASSERT_EQ(app.startUp({}), 0);
    EXPECT_EQ(ini(), "[CPU]\nFrequency=1000\n");
    EXPECT_EQ(app.frequency(), 1000u);
    EXPECT_TRUE(platform.windowCreated);
    EXPECT_GE(platform.presents, 1);  // the first paint
    EXPECT_TRUE(app.machine().paused);
    EXPECT_EQ(app.loader().workingDir(), dir.text());  // "Directory" defaults to the root
    EXPECT_EQ(app.machine().rootDir, dir.text());
    app.shutDown();
    EXPECT_EQ(ini(), "[CPU]\nFrequency=1000\n[ROM]\nDirectory=" + rootText() + "\n");
}

TEST_F(AppFixture, FrequencyIsWrittenOnlyWhenItReadsAsZero) {
    struct Case {
        const char* value;
        uint32_t used;
        bool rewritten;
    };
    const Case cases[] = {{"-5", 1000, true},
                          {"fast", 1000, true},
                          {"0", 1000, true},
                          {"2000", 2000, false},
                          {"1000", 1000, false}};
    for (const Case& c : cases) {
        const std::string before = std::string("[CPU]\nFrequency=") + c.value + "\n";
        writeText(dir / "vorn.ini", before);
        FakePlatform p;
        App app(p, settings);
        ASSERT_EQ(app.startUp({}), 0) << c.value;
        EXPECT_EQ(app.frequency(), c.used) << c.value;
        EXPECT_EQ(app.runLoop().timing().framePeriodNs,
                  Timing::fromFrequency(c.used).framePeriodNs);
        EXPECT_EQ(ini(), c.rewritten ? "[CPU]\nFrequency=1000\n" : before) << c.value;
    }
}

TEST_F(AppFixture, DirectoryThatDoesNotExistLeavesTheStartDirectory) {
    writeText(dir / "vorn.ini", "[ROM]\nDirectory=/no/such/folder\n[CPU]\nFrequency=1000\n");
    App app(platform, settings);
    ASSERT_EQ(app.startUp({}), 0);
    EXPECT_EQ(app.loader().workingDir(),
              (dir / "shell").string() + char(std::filesystem::path::preferred_separator));
}

TEST_F(AppFixture, RelativeDirectoryIsTakenFromTheRoot) {
    std::filesystem::create_directories(dir / "games");
    writeText(dir / "vorn.ini", "[ROM]\nDirectory=games\n");
    App app(platform, settings);
    ASSERT_EQ(app.startUp({}), 0);
    EXPECT_EQ(app.loader().workingDir(),
              (dir / "games").string() + char(std::filesystem::path::preferred_separator));
}

TEST_F(AppFixture, MissingFontFileEndsTheStartWithoutTouchingTheConfiguration) {
    settings.paths.fontFile = dir / "none" / "duzezi.dat";
    App app(platform, settings);
    EXPECT_EQ(app.startUp({}), kStartUpFailed);
    EXPECT_EQ(platform.messages, std::vector<std::string>{hostText(TextId::MessageNoFontFile)});
    EXPECT_FALSE(std::filesystem::exists(dir / "vorn.ini"));
    EXPECT_FALSE(platform.windowCreated);
}

TEST_F(AppFixture, WindowThatCannotBeCreatedFailsSilently) {
    platform.failWindow = true;
    App app(platform, settings);
    EXPECT_EQ(app.startUp({}), kStartUpFailed);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(AppFixture, RunnerSettingsNeverWriteTheConfiguration) {
    settings.writeConfig = false;
    {
        App app(platform, settings);
        ASSERT_EQ(app.startUp({}), 0);
        app.shutDown();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "vorn.ini"));
    writeText(dir / "vorn.ini", "[CPU]\nFrequency=0\n");
    App app(platform, settings);
    ASSERT_EQ(app.startUp({}), 0);
    app.shutDown();
    EXPECT_EQ(ini(), "[CPU]\nFrequency=0\n");
}

TEST_F(AppFixture, CommandLineImageIsFoundFromTheShellFirstThenTheWorkingDirectory) {
    std::filesystem::create_directories(dir / "games");
    writeText(dir / "vorn.ini", "[ROM]\nDirectory=" + (dir / "games").string() + "\n");
    writeProgram(dir / "games" / "both.vrn", "PUSH_B 1\nEXIT\n");
    writeProgram(dir / "shell" / "both.vrn", "PUSH_B 2\nPUSH_B 3\nEXIT\n");
    writeProgram(dir / "games" / "only.vrn", "PUSH_B 4\nEXIT\n");
    struct Case {
        const char* name;
        uint32_t size;
    };
    for (const Case& c : {Case{"both.vrn", 16 + 5}, Case{"only.vrn", 16 + 3}}) {
        FakePlatform p;
        App app(p, settings);
        Switches s;
        s.image = c.name;
        ASSERT_EQ(app.startUp(s), 0) << c.name;
        EXPECT_TRUE(app.machine().programLoaded);
        EXPECT_EQ(app.machine().imageSize, c.size) << c.name;
        EXPECT_EQ(app.loader().splashState(), SplashState::Idle);
    }
}

TEST_F(AppFixture, CommandLineImageThatFailsEndsTheStart) {
    writeText(dir / "text.vrn", "not an image at all");
    struct Case {
        std::string path;
        std::string message;
    };
    for (const Case& c :
         {Case{"missing.vrn", hostText(TextId::MessageCannotOpen)},
          Case{(dir / "text.vrn").string(), hostText(TextId::MessageInvalidFromCommandLine)}}) {
        FakePlatform p;
        App app(p, settings);
        Switches s;
        s.image = c.path;
        EXPECT_EQ(app.startUp(s), kStartUpFailed) << c.path;
        EXPECT_EQ(p.messages, std::vector<std::string>{c.message}) << c.path;
    }
}

TEST_F(AppFixture, ProgramThatEndsIsClosedAndTheSplashReturns) {
    App app(platform, settings);
    Switches s;
    s.image = (dir / "ends.vrn").string();
    ASSERT_EQ(app.startUp(s), 0);
    const int presents = platform.presents;
    SliceResult r = app.turn();
    EXPECT_EQ(r.idle, IdleReason::NoProgram);
    EXPECT_EQ(app.loader().splashState(), SplashState::Ended);
    EXPECT_FALSE(app.window().menu().isEnabled(kCmdClose));
    EXPECT_FALSE(app.window().menu().isEnabled(kCmdReset));
    EXPECT_GT(platform.presents, presents);  // repainted with the splash image
}

// The message box of a fault waits for the user; behind it the LCD must already show what the
// program drew, not the screen of the last frame before.
TEST_F(AppFixture, FaultMessageComesAfterTheLcdShowsWhatWasDrawn) {
    writeProgram(dir / "draws.vrn", "INITDATA 0x18C0\n.byte 0xFF, 0xFF\n.enddata\n.byte 0xFF\n");
    App app(platform, settings);
    Switches s;
    s.image = (dir / "draws.vrn").string();
    ASSERT_EQ(app.startUp(s), 0);
    const RgbImage before = platform.presented;
    app.turn();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "invalid opcode 0xFF at 0x000017");
    const RgbImage& shown = platform.presentedAtMessage[0];
    ASSERT_EQ(shown.width, before.width);
    int changed = 0;
    for (int y = kLcdAreaTop; y < kLcdAreaTop + kLcdAreaHeight; ++y)
        for (int x = kLcdAreaLeft; x < kLcdAreaLeft + kLcdAreaWidth; ++x)
            changed += std::memcmp(shown.at(x, y), before.at(x, y), 3) != 0;
    EXPECT_GT(changed, 0) << "the LCD area still shows the screen before the drawing";
    EXPECT_EQ(app.loader().splashState(), SplashState::Ended);
}

TEST_F(AppFixture, EventsReachTheLoaderTheMachineAndTheMenu) {
    App app(platform, settings);
    Switches s;
    s.image = (dir / "waits.vrn").string();
    ASSERT_EQ(app.startUp(s), 0);
    Machine& m = app.machine();
    EXPECT_TRUE(app.window().menu().isEnabled(kCmdClose));

    // Close from the pop-up menu: a right click opens it (the program is held meanwhile), a
    // click on "关闭Quillbox" chooses it.
    platform.events.push_back({PlatformEvent::Type::RightDown, 100, 300, 0, 0});
    app.dispatchEvents();
    ASSERT_TRUE(app.window().menu().isOpen());
    EXPECT_TRUE(app.runLoop().frozen());
    KeyRect item = app.window().menu().itemRect(0, 1);
    const int x = item.left + item.width / 2, y = item.top + item.height / 2;
    platform.events.push_back({PlatformEvent::Type::PointerMove, x, y, 0, 0});
    platform.events.push_back({PlatformEvent::Type::LeftDown, x, y, 0, 0});
    platform.events.push_back({PlatformEvent::Type::LeftUp, x, y, 0, 0});
    app.dispatchEvents();
    EXPECT_FALSE(app.window().menu().isOpen());
    EXPECT_FALSE(app.runLoop().frozen());
    EXPECT_FALSE(m.programLoaded);
    EXPECT_EQ(app.loader().lastEnd(), ProgramEnd::Closed);

    // F8 restarts it even though the menu shows Reset greyed.
    platform.events.push_back({PlatformEvent::Type::KeyDown, 0, 0, vk::kF8, 0});
    app.dispatchEvents();
    EXPECT_TRUE(m.programLoaded);
    EXPECT_FALSE(app.window().menu().isEnabled(kCmdReset));

    // The debugger's resume request clears the paused flag and sets the stop value.
    m.paused = true;
    platform.events.push_back({PlatformEvent::Type::DebugResume, 0, 0, 0, -2});
    app.dispatchEvents();
    EXPECT_FALSE(m.paused);
    EXPECT_EQ(m.debug.stopValue, -2);

    // A click on the body drags the window.
    platform.events.push_back({PlatformEvent::Type::LeftDown, 200, 20, 0, 0});
    platform.events.push_back({PlatformEvent::Type::LeftUp, 200, 20, 0, 0});
    app.dispatchEvents();
    EXPECT_EQ(platform.drags, 1);

    // The window going away is the Exit command: the program is closed, the loop ends with 0.
    platform.events.push_back({PlatformEvent::Type::Quit, 0, 0, 0, 0});
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(app.quitRequested());
    EXPECT_FALSE(m.programLoaded);
}

TEST_F(AppFixture, FaceKeyHeldWithTheMouseReachesTheProgram) {
    App app(platform, settings);
    Switches s;
    s.image = (dir / "waits.vrn").string();
    ASSERT_EQ(app.startUp(s), 0);
    app.onFrameStart = [&](uint64_t frame) {
        if (frame == 2) {
            // The face's Q key: row 0, column 0 of the grid.
            KeyRect q = gridKeyRect(0, 0);
            platform.events.push_back({PlatformEvent::Type::LeftDown, q.left + 5, q.top + 5, 0, 0});
        }
    };
    for (int i = 0; i < 100000 && app.machine().programLoaded; ++i) {
        SliceResult r = app.turn();
        if (r.idle != IdleReason::None) platform.waitUntil(r.wakeNs);
    }
    EXPECT_FALSE(app.machine().programLoaded);
    EXPECT_EQ(app.machine().slot(0), uint32_t('q'));
}

TEST_F(AppFixture, FileListMovesTheWorkingDirectory) {
    App app(platform, settings);
    ASSERT_EQ(app.startUp({}), 0);
    std::filesystem::create_directories(dir / "saves");
    writeText(dir / "saves" / "slot1.sav", "x");
    platform.dialogAnswers.push_back((dir / "saves" / "slot1.sav").string());
    auto chosen = app.chooseFile(dir.text());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, (dir / "saves" / "slot1.sav").string());
    EXPECT_EQ(platform.dialogs.back().title, "选择文件");
    EXPECT_EQ(platform.dialogs.back().initialDir, dir.text());
    EXPECT_EQ(app.loader().workingDir(),
              (dir / "saves").string() + char(std::filesystem::path::preferred_separator));
    EXPECT_FALSE(app.chooseFile(dir.text()));  // cancelled
}

TEST_F(AppFixture, DebuggerHearsAttachStopAndExit) {
    App app(platform, settings);
    Switches s;
    s.debugger = 4000;
    s.stopValue = 7;
    ASSERT_EQ(app.startUp(s), 0);
    EXPECT_EQ(app.machine().debug.stopValue, 7);
    uint8_t data[4] = {};
    app.debugSnapshot(0x10002, data, 4);
    app.debugStopNotice(7);
    app.shutDown();
    EXPECT_EQ(platform.debugMessages, (std::vector<uint32_t>{kDebugMsgAttach, kDebugMsgSnapshot,
                                                             kDebugMsgStop, kDebugMsgExit}));

    // Without "/W" nothing is sent.
    FakePlatform quiet;
    App alone(quiet, settings);
    ASSERT_EQ(alone.startUp({}), 0);
    alone.debugStopNotice(1);
    alone.shutDown();
    EXPECT_TRUE(quiet.debugMessages.empty());
}

}  // namespace
}  // namespace corvane::test
