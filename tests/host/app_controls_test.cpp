// The desktop app's run controls: shortcut keys kept from the program, pause and fast-forward by
// key, state slots from the menu, and the new settings remembered in vorn.ini.

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/app.h"
#include "host/menu.h"
#include "host/mode_signs.h"
#include "host/run_controls.h"
#include "host/texts.h"
#include "host/virtual_keys.h"
#include "host/window.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "tests/host/app_test_settings.h"
#include "tests/support/gif_frames.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

struct AppControls : ::testing::Test {
    TempDir dir;
    FakePlatform platform;
    AppSettings settings;

    AppControls() {
        settings = settingsIn(dir);
        writeProgram(dir / "waits.vrn", "getchar\nEXIT\n");
    }

    void start(App& app) {
        Switches s;
        s.image = "waits.vrn";
        ASSERT_EQ(app.startUp(s), 0);
    }

    void key(App& app, uint8_t vk, bool down) {
        PlatformEvent e;
        e.type = down ? PlatformEvent::Type::KeyDown : PlatformEvent::Type::KeyUp;
        e.code = vk;
        app.handleEvent(e);
    }
};

TEST_F(AppControls, ShortcutKeysNeverReachTheProgram) {
    App app(platform, settings);
    start(app);
    for (uint8_t key :
         {vk::kTab, vk::kF7, vk::kF9, vk::kF10, vk::kF11, uint8_t('A'), uint8_t(0x0D)})
        platform.keys[key] = 0x80;
    const auto& seen = app.programKeys();
    for (uint8_t vk : {vk::kTab, vk::kF7, vk::kF9, vk::kF10, vk::kF11})
        EXPECT_EQ(seen[vk], 0) << int(vk);
    EXPECT_EQ(seen['A'], 0x80);
    EXPECT_EQ(seen[0x0D], 0x80);
}

TEST_F(AppControls, PauseAndFastForwardByKey) {
    App app(platform, settings);
    start(app);
    key(app, vk::kF9, true);
    EXPECT_TRUE(app.paused());
    EXPECT_TRUE(app.window().menu().isChecked(kCmdPause));
    EXPECT_EQ(app.window().notice(), "暂停");
    key(app, vk::kF9, false);
    key(app, vk::kF9, true);
    EXPECT_FALSE(app.paused());

    key(app, vk::kTab, true);
    EXPECT_EQ(app.runLoop().fastForward(), kDefaultFastForward);
    EXPECT_EQ(app.runLoop().framePeriodNs(), app.runLoop().timing().framePeriodNs / 4);
    key(app, vk::kTab, false);
    EXPECT_EQ(app.runLoop().fastForward(), 1u);
    // Toggled from the menu it stays on after a held Tab ends.
    app.command(kCmdFastForward);
    key(app, vk::kTab, true);
    key(app, vk::kTab, false);
    EXPECT_EQ(app.runLoop().fastForward(), kDefaultFastForward);
}

TEST_F(AppControls, SlotsSaveAndLoadFromTheMenu) {
    App app(platform, settings);
    start(app);
    app.command(kCmdSlot1 + 2);
    EXPECT_EQ(app.stateSlot(), 3);
    EXPECT_TRUE(app.window().menu().isChecked(kCmdSlot1 + 2));
    app.machine().mem[0x2000] = 0x11;
    app.command(kCmdSaveState);
    EXPECT_TRUE(std::filesystem::exists(dir / "states" / "waits.3.state"));
    EXPECT_NE(app.window().notice().find("waits.3.state"), std::string::npos);
    app.machine().mem[0x2000] = 0x22;
    key(app, vk::kF10, true);
    EXPECT_EQ(app.machine().mem[0x2000], 0x11);
    EXPECT_TRUE(platform.messages.empty());

    // An empty slot says so and leaves the machine alone.
    app.command(kCmdSlot1);
    app.command(kCmdLoadState);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], hostText(TextId::MessageStateCannotOpen));
    EXPECT_EQ(app.machine().mem[0x2000], 0x11);

    // No program running: nothing to save, which the notice says without a box.
    app.command(kCmdClose);
    const size_t boxes = platform.messages.size();
    app.command(kCmdSaveState);
    EXPECT_EQ(platform.messages.size(), boxes);
    EXPECT_EQ(app.window().notice(), hostText(TextId::MessageNoProgram));
    EXPECT_FALSE(app.window().menu().isEnabled(kCmdSaveState));
}

TEST(RunControls, AvailableWhenThereIsSomethingToActOn) {
    struct Case {
        uint16_t command;
        ProgramPresence presence;  // running, image loaded, recording
        bool available;
    };
    const Case cases[] = {
        {kCmdPause, {true, true, false}, true},
        {kCmdPause, {false, true, false}, false},  // closed: its image stays, nothing runs
        {kCmdSaveState, {false, true, false}, false},
        {kCmdSaveState, {true, true, false}, true},
        {kCmdLoadState, {false, true, false}, true},  // a state can resume the closed program
        {kCmdLoadState, {false, false, false}, false},
        {kCmdRecord, {false, true, false}, false},  // no idle screen recorded
        {kCmdRecord, {false, true, true}, true},    // a recording can always be stopped
        {kCmdRecord, {true, true, false}, true},
        {kCmdReset, {false, false, false}, true},  // not a run control
    };
    for (const Case& c : cases)
        EXPECT_EQ(controlAvailable(c.command, c.presence), c.available) << c.command;
}

TEST(ModeSigns, OneForEveryModeThePlayerSees) {
    struct Case {
        RunModes modes;  // running, recording, paused, rewinding, fast-forward factor
        std::vector<std::string> signs;
    };
    const Case cases[] = {
        {{true, false, false, false, 1}, {}},
        {{true, false, false, false, 4}, {"快进 4x"}},
        {{true, true, false, false, 8}, {"● 录制", "快进 8x"}},
        {{true, false, true, false, 4}, {"暂停"}},          // nothing runs fast while paused
        {{true, true, true, true, 4}, {"● 录制", "倒带"}},  // a held rewind steps while paused
        {{false, false, false, false, 4}, {}},              // the sticky toggle with no program
        {{false, true, false, false, 1}, {"● 录制"}},       // a recording outlives its program
    };
    for (const Case& c : cases) EXPECT_EQ(modeSigns(c.modes), c.signs);
}

// A whole-window recording takes the face and the LCD, not the signs and notices drawn over
// them, and the notice at its end names the file.
TEST_F(AppControls, RecordingsShowASignButLeaveItOut) {
    App app(platform, settings);
    start(app);
    app.command(kCmdRecordWindow);
    app.command(kCmdRecord);
    ASSERT_TRUE(app.recording());
    key(app, vk::kTab, true);
    EXPECT_EQ(app.window().signs(), (std::vector<std::string>{"● 录制", "快进 4x"}));
    EXPECT_EQ(app.window().notice(), "开始录制");
    const RgbImage shown = app.window().image();
    for (uint64_t n = 1; n <= 3; ++n) app.frame(n, true);
    key(app, vk::kTab, false);
    EXPECT_EQ(app.window().signs(), (std::vector<std::string>{"● 录制"}));
    app.command(kCmdRecord);
    EXPECT_TRUE(app.window().signs().empty());
    EXPECT_EQ(app.window().notice(), "录制已保存: waits-1.gif");

    const RgbImage& face = app.window().capturedImage();
    int error = 0;
    const std::string file = (dir / "recordings" / "waits-1.gif").string();
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->SWidth, face.width);
    RgbImage canvas(gif->SWidth, gif->SHeight);
    auto distance = [](const uint8_t* a, const uint8_t* b) {
        return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
    };
    // Nearer the face than the sign or the notice drawn over it, wherever the recording's sign
    // stands (outside the LCD, in every frame) and where the notice stood (once the LCD shows
    // what it ends with).
    auto faceAt = [&](int x, int y) {
        ASSERT_NE(distance(shown.at(x, y), face.at(x, y)), 0) << x << "," << y;
        EXPECT_LT(distance(canvas.at(x, y), face.at(x, y)),
                  distance(canvas.at(x, y), shown.at(x, y)))
            << x << "," << y;
    };
    for (int i = 0; i < gif->ImageCount; ++i) {
        composeGifFrame(gif, i, canvas);
        faceAt(25, 205);
    }
    faceAt(217, 184);
    DGifCloseFile(gif, &error);
}

// With nothing loaded, the four keys give one and the same answer: a notice, no box, no file.
TEST_F(AppControls, KeysWithoutAProgramAnswerAlike) {
    App app(platform, settings);
    ASSERT_EQ(app.startUp(Switches{}), 0);
    for (uint8_t vk : {vk::kF7, vk::kF9, vk::kF10, vk::kF11}) {
        app.window().clearNotice();
        key(app, vk, true);
        key(app, vk, false);
        EXPECT_EQ(app.window().notice(), hostText(TextId::MessageNoProgram)) << int(vk);
        EXPECT_FALSE(app.paused()) << int(vk);
        EXPECT_FALSE(app.recording()) << int(vk);
    }
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "recordings"));
    for (uint16_t item : {kCmdPause, kCmdSaveState, kCmdLoadState, kCmdRecord})
        EXPECT_FALSE(app.window().menu().isEnabled(item)) << item;
}

TEST_F(AppControls, NewSettingsAreRememberedUnderTheirOwnKeys) {
    {
        App app(platform, settings);
        start(app);
        app.command(kCmdSpeedLimit);
        app.command(kCmdSlot1 + 1);
        app.command(kCmdBlackWhite);
        app.shutDown();
    }
    const std::string ini = readText(dir / "vorn.ini");
    for (const char* line : {"[Corvane]", "SpeedLimited=1", "StateSlot=2", "BlackWhite=1"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    EXPECT_EQ(ini.find("Interlaced"), std::string::npos);  // at its default: not written
    App again(platform, settings);
    start(again);
    EXPECT_TRUE(again.speedLimited());
    EXPECT_EQ(again.runLoop().speedLimit(), kDefaultSpeedLimit);
    EXPECT_EQ(again.stateSlot(), 2);
    EXPECT_TRUE(again.window().menu().isChecked(kCmdBlackWhite));
    EXPECT_TRUE(again.window().lcd().blackWhite());
}

}  // namespace
}  // namespace corvane::test
