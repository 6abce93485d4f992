// The desktop app's window size, full screen, recent files, screenshots and About: pointer
// positions scaled back to the face, the settings kept in vorn.ini (and only when changed).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "host/app.h"
#include "host/config_store.h"
#include "host/menu.h"
#include "host/screen_fit.h"
#include "host/text_wrap.h"
#include "host/texts.h"
#include "host/window.h"
#include "support/build_paths.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "tests/host/app_test_settings.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

struct AppView : ::testing::Test {
    TempDir dir;
    FakePlatform platform;
    AppSettings settings;

    AppView() {
        settings = settingsIn(dir);
        for (int i = 0; i < 10; ++i)
            writeProgram(dir / ("p" + std::to_string(i) + ".vrn"), "getchar\nEXIT\n");
    }

    void start(App& app, std::optional<std::string> image = std::nullopt) {
        Switches s;
        s.image = image;
        ASSERT_EQ(app.startUp(s), 0);
    }

    void drop(App& app, const std::string& name) {
        PlatformEvent e;
        e.type = PlatformEvent::Type::DropFile;
        e.path = (dir / name).string();
        app.handleEvent(e);
    }

    void pointer(App& app, PlatformEvent::Type type, int x, int y) {
        PlatformEvent e;
        e.type = type;
        e.x = x;
        e.y = y;
        app.handleEvent(e);
    }

    std::string ini(const std::string& section, const std::string& key) {
        return openConfigStore(dir / "vorn.ini")->getString(section, key, "<none>");
    }
};

TEST_F(AppView, UntouchedSettingsLeaveTheConfigurationAsItWas) {
    {
        App app(platform, settings);
        start(app);
        EXPECT_EQ(app.viewMode().scale, 1);
        EXPECT_EQ(app.viewLayout().outputWidth, 435);
        ASSERT_FALSE(platform.views.empty());
        EXPECT_EQ(platform.views.back().outputHeight, 585);
        app.shutDown();
    }
    const std::string text = readText(dir / "vorn.ini");
    for (const char* key : {"Size", "Fullscreen", "FullscreenShows", "RecordWindow", "File1"})
        EXPECT_EQ(text.find(key), std::string::npos) << key << " in\n" << text;
}

TEST_F(AppView, SizeAndFullScreenAreRememberedAndScaleThePointer) {
    {
        App app(platform, settings);
        start(app, "p0.vrn");
        app.command(uint16_t(kCmdScale1 + 1));
        EXPECT_TRUE(app.window().menu().isChecked(uint16_t(kCmdScale1 + 1)));
        EXPECT_FALSE(app.window().menu().isChecked(kCmdScale1));
        EXPECT_EQ(platform.views.back().outputWidth, 870);
        // The Q key is at (16, 441) and 32 x 26: its middle on the doubled window.
        pointer(app, PlatformEvent::Type::LeftDown, 2 * 30, 2 * 450);
        EXPECT_EQ(app.window().skin().heldVk(), 'Q');
        pointer(app, PlatformEvent::Type::LeftUp, 2 * 30, 2 * 450);
        // Its border, doubled, is still no key: the body is dragged.
        pointer(app, PlatformEvent::Type::LeftDown, 2 * 16 + 1, 2 * 450);
        EXPECT_EQ(app.window().skin().heldVk(), 0);
        EXPECT_EQ(platform.drags, 1);
        pointer(app, PlatformEvent::Type::LeftUp, 2 * 16 + 1, 2 * 450);
        app.command(kCmdFullscreenLcd);
        app.command(kCmdFullscreen);
        app.shutDown();
    }
    EXPECT_EQ(ini("Corvane", "Size"), "2");
    EXPECT_EQ(ini("Corvane", "Fullscreen"), "1");
    EXPECT_EQ(ini("Corvane", "FullscreenShows"), "lcd");

    FakePlatform second;
    second.screenInfo = {1920, 1080, 96};
    App app(second, settings);
    start(app);
    EXPECT_EQ(app.viewMode(), (ViewMode{2, true, FullscreenContent::Lcd}));
    const ViewLayout& l = app.viewLayout();
    EXPECT_EQ(l.source, lcdSource());
    EXPECT_EQ(l.scale, 6);
    // In a full screen the border is no body to drag; the menu shows the face while open.
    pointer(app, PlatformEvent::Type::LeftDown, 10, 10);
    pointer(app, PlatformEvent::Type::LeftUp, 10, 10);
    pointer(app, PlatformEvent::Type::LeftDown, 960, 540);
    pointer(app, PlatformEvent::Type::LeftUp, 960, 540);
    EXPECT_EQ(second.drags, 0);
    pointer(app, PlatformEvent::Type::RightDown, 960, 540);
    EXPECT_TRUE(app.window().menu().isOpen());
    EXPECT_EQ(second.views.back().source, faceSource());
    app.command(kCmdScale1);  // chosen in the menu: back to a window
    EXPECT_EQ(second.views.back().outputWidth, 435);
    EXPECT_FALSE(app.viewMode().fullscreen);
}

TEST_F(AppView, ASizeOutsideOneToFourInVornIniIsNoChoice) {
    struct Case {
        const char* size;
        int scale;
    };
    for (const Case& c : {Case{"3", 3}, Case{"0", 1}, Case{"5", 1}, Case{"x", 1}}) {
        writeText(dir / "vorn.ini", std::string("[Corvane]\nSize=") + c.size + "\n");
        App app(platform, settings);
        start(app);
        EXPECT_EQ(app.viewMode().scale, c.scale) << c.size;
    }
}

// Only the sizes whose window fits the screen's work area are offered: the others are greyed
// and not carried out when given anyway, and a size kept from a larger screen gives way to the
// largest that fits. About says how far this screen goes.
TEST_F(AppView, OnlySizesThatFitTheWorkAreaAreOffered) {
    struct Case {
        ScreenRect work;
        int largest;
    };
    const Case cases[] = {
        {{0, 0, 800, 480}, 1},        // smaller than the window itself: 1x all the same
        {{0, 0, 1024, 768}, 1},       // 2x is 870 x 1170
        {{0, 0, 1600, 1200}, 2},      // the screen: 3x is 1305 x 1755
        {{0, 32, 1600, 1168}, 1},     // the same with a panel: 1170 rows no longer fit
        {{0, 0, 3840, 2160}, 3},      // 4x is 1740 x 2340
        {{-1920, 0, 1920, 2400}, 4},  // a second screen left of the first
        {{}, 4},                      // not known: every size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.work.width) + "x" + std::to_string(c.work.height));
        writeText(dir / "vorn.ini", "[Corvane]\nSize=4\n");
        FakePlatform screen;
        screen.work = c.work;
        App app(screen, settings);
        start(app);
        EXPECT_EQ(app.viewMode().scale, c.largest);
        EXPECT_EQ(screen.views.back().outputWidth, 435 * c.largest);
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(app.window().menu().isEnabled(uint16_t(kCmdScale1 + n - 1)), n <= c.largest)
                << n;
        app.command(kCmdScale1);
        app.command(kCmdScale4);
        EXPECT_EQ(app.viewMode().scale, c.largest == 4 ? 4 : 1);
        std::string about = app.aboutText();
        EXPECT_NE(about.find(std::to_string(c.largest) + "x."), std::string::npos) << about;
    }
}

// The menu opens on the part of the window the screen shows: a window half below the screen's
// bottom right keeps the menu, and its sub-menu, where they can be clicked.
TEST_F(AppView, TheMenuStaysOnTheScreen) {
    platform.work = {0, 0, 1024, 768};
    platform.windowAt = {650, 268, 435, 585};  // 374 x 500 of it on the screen
    App app(platform, settings);
    start(app);
    pointer(app, PlatformEvent::Type::RightDown, 360, 480);
    Menu& menu = app.window().menu();
    ASSERT_TRUE(menu.isOpen());
    menu.keyDown(0x26);  // Up, Up: "设定"; Right opens it
    menu.keyDown(0x26);
    menu.keyDown(0x27);
    ASSERT_TRUE(menu.submenuOpen());
    for (int level = 0; level < 2; ++level) {
        const KeyRect b = menu.boxRect(level);
        EXPECT_LE(b.left + b.width, 374) << level;
        EXPECT_LE(b.top + b.height, 500) << level;
    }
}

TEST_F(AppView, AReleaseOnAFullScreensBorderFreesTheKeyHeld) {
    platform.screenInfo = {1920, 1080, 96};
    App app(platform, settings);
    start(app, "p0.vrn");
    app.command(kCmdFullscreen);
    ASSERT_EQ(app.viewLayout().left, 742);
    ASSERT_EQ(app.viewLayout().top, 247);
    // The Q key's middle, then off the picture onto the black border.
    pointer(app, PlatformEvent::Type::LeftDown, 742 + 30, 247 + 450);
    EXPECT_EQ(app.window().skin().heldVk(), 'Q');
    pointer(app, PlatformEvent::Type::PointerMove, 10, 10);
    pointer(app, PlatformEvent::Type::LeftUp, 10, 10);
    EXPECT_EQ(app.window().skin().heldVk(), 0);
}

TEST_F(AppView, AHighDensityScreenStartsAtTwiceTheSizeUntilOneIsChosen) {
    platform.screenInfo = {3840, 2160, 192};
    {
        App app(platform, settings);
        start(app);
        EXPECT_EQ(app.viewMode().scale, 2);
        app.shutDown();
    }
    EXPECT_EQ(ini("Corvane", "Size"), "<none>");  // picked, not chosen
    {
        App app(platform, settings);
        start(app);
        app.command(kCmdScale1);
        app.shutDown();
    }
    App app(platform, settings);
    start(app);
    EXPECT_EQ(app.viewMode().scale, 1);  // a chosen 1x stays, whatever the screen
}

TEST_F(AppView, RecentFilesKeepTheLastEightNewestFirst) {
    {
        App app(platform, settings);
        start(app, "p0.vrn");
        for (int i = 1; i < 10; ++i) drop(app, "p" + std::to_string(i) + ".vrn");
        drop(app, "p5.vrn");  // opened again: moves to the front, not in twice
        const auto& recent = app.recentFiles();
        ASSERT_EQ(recent.size(), 8u);
        const char* order[] = {"p5", "p9", "p8", "p7", "p6", "p4", "p3", "p2"};
        for (size_t i = 0; i < 8; ++i) EXPECT_EQ(fs::path(recent[i]).stem(), order[i]) << i;
        app.shutDown();
    }
    EXPECT_EQ(ini("Recent", "File1"), (dir / "p5.vrn").string());
    EXPECT_EQ(ini("Recent", "File8"), (dir / "p2.vrn").string());

    App app(platform, settings);
    start(app);
    Menu& menu = app.window().menu();
    menu.open(0, 0);
    // Shown in the menu, numbered, by name; the third opens as a chosen file.
    int shown = 0;
    for (int i = 0; i < int(kMenuItems.size()); ++i) shown += menu.isShown(0, i);
    EXPECT_EQ(shown, 6 + 8 + 1);
    menu.close();
    app.command(uint16_t(kCmdRecent1 + 2));
    EXPECT_EQ(fs::path(app.loader().imagePath()).filename(), "p8.vrn");
    EXPECT_TRUE(app.machine().programLoaded);
    EXPECT_EQ(fs::path(app.recentFiles()[0]).stem(), "p8");

    // A recent file that is gone gives the Open path's message and changes nothing else.
    fs::remove(dir / "p5.vrn");  // second now
    app.command(uint16_t(kCmdRecent1 + 1));
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back(), hostText(TextId::MessageCannotOpen));
    EXPECT_EQ(fs::path(app.loader().imagePath()).filename(), "p8.vrn");
}

TEST_F(AppView, NoRecentFilesShowsTheMenuAsItWas) {
    App app(platform, settings);
    start(app);
    Menu& menu = app.window().menu();
    menu.open(0, 0);
    std::vector<uint16_t> shown;
    for (int i = 0; i < int(kMenuItems.size()); ++i)
        if (menu.isShown(0, i)) shown.push_back(kMenuItems[size_t(i)].command);
    EXPECT_EQ(shown, (std::vector<uint16_t>{40002, 40003, 40004, 0, 0, 40001}));
}

// [Corvane] Language gives the texts from the start, the font file's message included; the
// menu's language items switch them at once and are remembered; a code no table has gives the
// default with one line on stderr.
TEST_F(AppView, LanguageFromVornIniAndFromTheMenu) {
    const TextLanguageScope restore(kDefaultLanguage);  // for the tests after this one
    writeText(dir / "vorn.ini", "[Corvane]\nLanguage=en\n");
    {
        AppSettings noFonts = settings;
        noFonts.paths.fontFile = dir / "none" / "duzezi.dat";
        App app(platform, noFonts);
        EXPECT_EQ(app.startUp({}), kStartUpFailed);
        EXPECT_EQ(platform.messages.back(), "Cannot open the font file duzezi.dat!");
    }
    {
        App app(platform, settings);
        start(app);
        EXPECT_EQ(languageCode(textLanguage()), "en");
        EXPECT_TRUE(app.window().menu().isChecked(uint16_t(kCmdLanguage1 + 1)));
        EXPECT_EQ(app.window().menu().text(0, 0), "Open Quillbox File...");
        app.command(kCmdOpen);  // cancelled
        ASSERT_EQ(platform.dialogs.size(), 1u);
        EXPECT_EQ(platform.dialogs[0].title, "Open Quillbox File");
        app.command(kCmdLanguage1);
        EXPECT_EQ(textLanguage(), kDefaultLanguage);
        EXPECT_TRUE(app.window().menu().isChecked(kCmdLanguage1));
        EXPECT_FALSE(app.window().menu().isChecked(uint16_t(kCmdLanguage1 + 1)));
        app.command(kCmdSaveState);  // no program: the notice, in the language now chosen
        EXPECT_EQ(app.window().notice(), "没有运行的程序!");
        app.shutDown();
    }
    EXPECT_EQ(ini("Corvane", "Language"), "zh");

    writeText(dir / "vorn.ini", "[Corvane]\nLanguage=fr\n");
    testing::internal::CaptureStderr();
    App app(platform, settings);
    start(app);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(textLanguage(), kDefaultLanguage);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("Language=fr"), std::string::npos) << err;
}

TEST_F(AppView, ScreenshotsAreSavedWithANotice) {
    App app(platform, settings);
    start(app, "p0.vrn");
    app.command(uint16_t(kCmdScale1 + 2));
    PlatformEvent f12;
    f12.type = PlatformEvent::Type::KeyDown;
    f12.code = 0x7B;
    app.handleEvent(f12);
    app.handleEvent(f12);  // a second one the same second gets a name of its own
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir / "screenshots")) files.push_back(e.path());
    ASSERT_EQ(files.size(), 2u);
    RgbImage shot;
    ASSERT_TRUE(readPng(files[0].string(), shot));
    EXPECT_EQ(shot.width, 1305);
    EXPECT_EQ(shot.height, 1755);
    EXPECT_EQ(app.window().notice().rfind("截图已保存: corvane-", 0), 0u) << app.window().notice();
}

TEST_F(AppView, AboutTellsTheVersionTheKeysAndWhereFilesLive) {
    App app(platform, settings);
    start(app);
    app.command(kCmdAbout);
    ASSERT_EQ(platform.messages.size(), 1u);
    // Paths may be wrapped after a separator: the text without its line ends has them whole.
    std::string text = platform.messages[0];
    std::erase(text, '\n');
    EXPECT_EQ(text.rfind("Corvane ", 0), 0u);
    for (const std::string& part :
         {(dir / "vorn.ini").string(), (dir / "screenshots").string(), (dir / "states").string(),
          std::string("F12"), std::string("Alt+Enter")})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

// The About box in each language as the box shows it at the window's own size: compared with
// tests/golden/host/about_<code>.txt, the temporary root named "<root>" and the version "<version>"
// (CORVANE_UPDATE_GOLDEN=1 rewrites them). The longer English lines are broken at blanks.
TEST_F(AppView, AboutBoxInEachLanguage) {
    const TextLanguageScope restore(kDefaultLanguage);
    for (const std::string code : {"zh", "en"}) {
        settings.language = code;
        App app(platform, settings);
        start(app);
        std::string text = app.aboutText();
        for (size_t at; (at = text.find(dir.path().string())) != std::string::npos;)
            text.replace(at, dir.path().string().size(), "<root>");
        text.replace(0, text.find('\n'), "Corvane <version>");
        // Windows' separators as the golden has them: the texts themselves have no backslash.
        std::replace(text.begin(), text.end(), '\\', '/');
        const std::string shown = wrapText(text, messageColumns(kWindowWidth));
        const fs::path golden =
            fs::path(corvane::test::sourceDir()) / "tests/golden/host" / ("about_" + code + ".txt");
        if (const char* update = std::getenv("CORVANE_UPDATE_GOLDEN"); update && *update == '1') {
            writeText(golden, shown);
            continue;
        }
        EXPECT_EQ(shown, readText(golden)) << code;
    }
}

// From the menu, the About box comes up over the window without the menu, its lines no wider
// than the window.
TEST_F(AppView, AboutFitsTheWindowWithTheMenuClosed) {
    App app(platform, settings);
    start(app);
    PlatformEvent right;
    right.type = PlatformEvent::Type::RightDown;
    right.x = right.y = 100;
    app.handleEvent(right);
    ASSERT_TRUE(app.window().menu().isOpen());
    ASSERT_EQ(platform.presented, app.window().image());
    app.window().menuKey(0x1B);  // closed in the window, as choosing the item does, not shown yet
    ASSERT_FALSE(app.window().menu().isOpen());
    app.command(kCmdAbout);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.presentedAtMessage[0], app.window().image());
    const int columns = messageColumns(kWindowWidth);
    std::istringstream lines(platform.messages[0]);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        int width = 0;
        for (size_t at = 0; at < line.size(); ++at)
            if ((uint8_t(line[at]) & 0xC0) != 0x80)
                width += (uint8_t(line[at]) >= 0xE0) ? 2 : 1;  // the text's CJK is 3-byte
        EXPECT_LE(width, columns) << line;
    }
    EXPECT_GT(count, 10);
}

}  // namespace
}  // namespace corvane::test
