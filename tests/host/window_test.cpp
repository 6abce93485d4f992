// The window image: paints, frames, face keys, the menu on top, and golden pictures of the whole
// window in its typical states, the notice and the in-window file chooser among them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "display/fonts.h"
#include "host/chooser.h"
#include "host/message_panel.h"
#include "host/texts.h"
#include "host/window.h"
#include "support/build_paths.h"
#include "tests/host/app_test_files.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {
namespace {

// Artwork in three flat colours, so every pixel says where it came from.
const SkinArt& flatArt() {
    static const SkinArt art = [] {
        SkinArt a{RgbImage(436, 586), RgbImage(436, 586), RgbImage(kSplashWidth, kSplashHeight)};
        for (size_t i = 0; i < a.faceUp.rgb.size(); ++i) a.faceUp.rgb[i] = 10;
        for (size_t i = 0; i < a.faceDown.rgb.size(); ++i) a.faceDown.rgb[i] = 20;
        for (size_t i = 0; i < a.splash.rgb.size(); ++i) a.splash.rgb[i] = 30;
        return a;
    }();
    return art;
}

uint8_t red(const Window& w, int x, int y) {
    return w.image().at(x, y)[0];
}

bool inLcdArea(int x, int y) {
    return x >= kLcdAreaLeft && x < kLcdAreaLeft + kLcdAreaWidth && y >= kLcdAreaTop &&
           y < kLcdAreaTop + kLcdAreaHeight;
}

TEST(WindowPaint, FaceLcdAndSplashByState) {
    Machine m;
    for (int state : {0, 1, 2}) {
        Window w(flatArt());
        w.paint(m, state);
        EXPECT_EQ(red(w, 0, 0), 10);
        EXPECT_EQ(red(w, 434, 584), 10);
        EXPECT_EQ(red(w, 21, 100), 10);
        EXPECT_EQ(red(w, 399, 100), 10);
        const uint8_t lcd = state == 1 ? 0 : 30;  // green background has red 0
        EXPECT_EQ(red(w, 22, 43), lcd) << "state " << state;
        EXPECT_EQ(red(w, 398, 202), lcd) << "state " << state;
    }
}

TEST(WindowPaint, FrameRedrawsOnlyTheLcdArea) {
    Machine m;
    Window w(flatArt());
    w.paint(m, 0);
    const KeyRect q = gridKeyRect(0, 0);
    w.leftButtonDown(q.left + 4, q.top + 4);
    const RgbImage before = w.image();
    m.mem[kLcdScreen] = 0x80;
    const uint64_t version = w.version();
    w.frame(m);
    EXPECT_GT(w.version(), version);
    for (int y = 0; y < kWindowHeight; ++y) {
        for (int x = 0; x < kWindowWidth; ++x) {
            if (inLcdArea(x, y)) continue;
            ASSERT_EQ(w.image().at(x, y)[0], before.at(x, y)[0]) << x << "," << y;
        }
    }
    EXPECT_EQ(red(w, 100, 100), 0);  // the splash is gone until the next paint
    EXPECT_EQ(w.image().at(54, 43)[1], 0);
    EXPECT_EQ(w.image().at(56, 43)[1], 192);
}

// A frame converts the LCD only when something it shows changed: its bytes, a display mode, or a
// paint that may have covered it with the splash.
TEST(WindowPaint, FrameRedrawsOnlyWhenTheLcdOrItsModesChanged) {
    Machine m;
    Window w(flatArt());
    w.paint(m, 0);
    w.frame(m);
    uint64_t version = w.version();
    w.frame(m);
    EXPECT_EQ(w.version(), version) << "unchanged LCD";

    m.mem[kLcdScreen + 1599] = 0x01;
    w.frame(m);
    EXPECT_GT(w.version(), version) << "last LCD byte changed";
    EXPECT_EQ(w.image().at(373, 202)[1], 0);

    version = w.version();
    w.displayCommand(40048);
    w.frame(m);
    EXPECT_GT(w.version(), version) << "black-and-white switched on";
    EXPECT_EQ(w.image().at(56, 43)[0], 255);

    w.paint(m, 0);  // the splash covers the LCD area again
    EXPECT_EQ(red(w, 100, 100), 30);
    w.frame(m);
    EXPECT_NE(red(w, 100, 100), 30) << "the frame after a paint draws the LCD over the splash";
}

TEST(WindowKeys, PressedKeyRegionIsTheRectWidenedLeftAndUp) {
    Machine m;
    for (const FaceKey& key : {faceKeys()[0], faceKeys()[2], faceKeys()[44]}) {
        Window w(flatArt());
        w.paint(m, 1);
        const KeyRect r = key.rect;
        EXPECT_EQ(w.leftButtonDown(r.left + 1, r.top + 1).kind, WindowEvent::Kind::None);
        for (int y = r.top - 6; y < r.top + r.height + 3; ++y) {
            for (int x = r.left - 6; x < r.left + r.width + 3; ++x) {
                const bool pressed = x >= r.left - 3 && x < r.left + r.width && y >= r.top - 3 &&
                                     y < r.top + r.height;
                ASSERT_EQ(red(w, x, y), pressed ? 20 : 10) << x << "," << y;
            }
        }
        // Released anywhere, even far outside the window: drawn up again and no longer held.
        w.leftButtonUp(-100, 900);
        EXPECT_EQ(red(w, r.left, r.top), 10);
        EXPECT_EQ(w.skin().heldVk(), 0);
    }
}

TEST(WindowKeys, BodyClickDragsAndDrawsNothing) {
    Machine m;
    Window w(flatArt());
    w.paint(m, 1);
    const RgbImage before = w.image();
    EXPECT_EQ(w.leftButtonDown(200, 350).kind, WindowEvent::Kind::Drag);
    EXPECT_EQ(w.leftButtonUp(200, 350).kind, WindowEvent::Kind::None);
    EXPECT_EQ(w.image(), before);
}

TEST(WindowKeys, SecondPressWithoutReleaseRedrawsTheFirstKeyUp) {
    Machine m;
    Window w(flatArt());
    w.paint(m, 1);
    const KeyRect a = gridKeyRect(1, 0), b = gridKeyRect(1, 1);
    w.leftButtonDown(a.left + 2, a.top + 2);
    w.leftButtonDown(b.left + 2, b.top + 2);
    EXPECT_EQ(red(w, a.left + 2, a.top + 2), 10);
    EXPECT_EQ(red(w, b.left + 2, b.top + 2), 20);
    EXPECT_EQ(w.skin().heldVk(), 'S');
}

TEST(WindowMenu, OpenMenuIsOnTopAndClosingRestoresTheImage) {
    Machine m;
    Window w(flatArt());
    w.paint(m, 0);
    const RgbImage before = w.image();
    EXPECT_EQ(w.rightButtonDown(100, 300).kind, WindowEvent::Kind::None);
    ASSERT_TRUE(w.menu().isOpen());
    EXPECT_NE(w.image(), before);
    // A left press on the face while the menu is open only closes the menu.
    const KeyRect q = gridKeyRect(0, 0);
    EXPECT_EQ(w.leftButtonDown(q.left + 3, q.top + 3).kind, WindowEvent::Kind::None);
    EXPECT_FALSE(w.menu().isOpen());
    EXPECT_EQ(w.skin().heldVk(), 0);
    EXPECT_EQ(w.image(), before);
}

TEST(WindowMenu, ChosenItemComesBackAsCommand) {
    Machine m;
    Window w(flatArt());
    w.paint(m, 0);
    w.rightButtonDown(50, 50);
    const KeyRect open = w.menu().itemRect(0, 0);
    const int x = open.left + 10, y = open.top + 5;
    w.pointerMove(x, y);
    EXPECT_EQ(w.leftButtonDown(x, y).kind, WindowEvent::Kind::None);
    const WindowEvent e = w.leftButtonUp(x, y);
    EXPECT_EQ(e.kind, WindowEvent::Kind::Command);
    EXPECT_EQ(e.command, kCmdOpen);
    EXPECT_FALSE(w.menu().isOpen());

    w.rightButtonDown(50, 50);
    EXPECT_EQ(w.menuKey(vk::kDown).kind, WindowEvent::Kind::None);
    const WindowEvent k = w.menuKey(vk::kEnter);
    EXPECT_EQ(k.command, kCmdOpen);
    EXPECT_EQ(w.menuKey(vk::kEnter).kind, WindowEvent::Kind::None);  // closed: ignored

    w.rightButtonDown(50, 50);
    w.rightButtonDown(5, 580);  // another right click outside dismisses it
    EXPECT_FALSE(w.menu().isOpen());
}

TEST(WindowMenu, DisplayCommandsFollowTheCheckMarks) {
    Window w(flatArt());
    w.displayCommand(kCmdInterlace);
    EXPECT_TRUE(w.menu().isChecked(kCmdInterlace));
    EXPECT_TRUE(w.lcd().interlaced());
    w.displayCommand(kCmdBlackWhite);
    EXPECT_TRUE(w.lcd().blackWhite());
    w.displayCommand(kCmdInterlace);
    EXPECT_FALSE(w.menu().isChecked(kCmdInterlace));
    EXPECT_FALSE(w.lcd().interlaced());
    EXPECT_TRUE(w.lcd().blackWhite());
    w.displayCommand(kCmdExit);  // not a display command
    EXPECT_TRUE(w.menu().isChecked(kCmdBlackWhite));
}

// A window that takes its artwork only when first looked at shows, whenever it is looked at,
// exactly what one given the artwork at once shows after the same steps: the face and the splash
// a paint owes are put in where that paint would have left them, under what was drawn since.
int flatArtAsked = 0;
const SkinArt& flatArtOnDemand() {
    ++flatArtAsked;
    return flatArt();
}

TEST(WindowPaint, ArtworkTakenOnDemandGivesTheSamePictures) {
    enum Step { Paint0, Paint1, Paint2, Frame, Lcd, Press, Release, Notice, Menu, Look };
    const std::vector<std::vector<Step>> cases = {
        {Paint0, Look},
        {Paint2, Frame, Look},
        {Paint0, Paint1, Lcd, Frame, Look},
        {Paint1, Lcd, Frame, Paint2, Look},
        {Paint1, Frame, Paint0, Frame, Lcd, Frame, Look, Paint2, Look},
        {Paint1, Lcd, Frame, Press, Look, Release, Look},
        {Paint0, Release, Lcd, Frame, Look},
        {Paint2, Notice, Look},
        {Paint0, Menu, Look, Menu, Look},
        {Frame, Look},
    };
    for (size_t n = 0; n < cases.size(); ++n) {
        Machine m;
        Window eager(flatArt());
        flatArtAsked = 0;
        Window lazy(flatArtOnDemand);
        const KeyRect key = gridKeyRect(2, 1);
        bool looked = false;
        for (Step step : cases[n]) {
            for (Window* w : {&eager, &lazy}) {
                switch (step) {
                    case Paint0:
                        w->paint(m, 0);
                        break;
                    case Paint1:
                        w->paint(m, 1);
                        break;
                    case Paint2:
                        w->paint(m, 2);
                        break;
                    case Frame:
                        w->frame(m);
                        break;
                    case Press:
                        w->leftButtonDown(key.left + 2, key.top + 2);
                        break;
                    case Release:
                        w->leftButtonUp(key.left + 2, key.top + 2);
                        break;
                    case Notice:
                        w->setNotice("x");
                        break;
                    case Menu:
                        w->rightButtonDown(100, 300);
                        break;
                    default:
                        break;
                }
            }
            if (step == Lcd) m.mem[kLcdScreen + 3 * n] ^= 0x5A;  // the LCD area changes
            if (step != Look) continue;
            looked = true;
            ASSERT_EQ(lazy.image(), eager.image()) << "case " << n;
            ASSERT_EQ(lazy.capturedImage(), eager.capturedImage()) << "case " << n;
        }
        EXPECT_TRUE(looked);
    }
    // Paints and frames alone never ask for the artwork.
    Machine m;
    flatArtAsked = 0;
    Window lazy(flatArtOnDemand);
    lazy.paint(m, 0);
    lazy.frame(m);
    lazy.paint(m, 2);
    EXPECT_EQ(flatArtAsked, 0);
    lazy.image();
    EXPECT_EQ(flatArtAsked, 1);
}

// The two faces must differ only where keys are redrawn, or a pressed key would leave seams.
TEST(BuiltinArtwork, FacesDifferOnlyInKeyAreas) {
    const SkinArt& art = builtinSkinArt();
    ASSERT_GE(art.faceUp.width, kWindowWidth);
    ASSERT_GE(art.faceUp.height, kWindowHeight);
    ASSERT_EQ(art.faceDown.width, art.faceUp.width);
    ASSERT_EQ(art.faceDown.height, art.faceUp.height);
    ASSERT_EQ(art.splash.width, kSplashWidth);
    ASSERT_EQ(art.splash.height, kSplashHeight);

    auto inKeyArea = [](int x, int y) {
        for (const FaceKey& k : faceKeys()) {
            const KeyRect& r = k.rect;
            if (x >= r.left - 3 && x < r.left + r.width && y >= r.top - 3 && y < r.top + r.height)
                return true;
        }
        return false;
    };
    int differing = 0;
    for (int y = 0; y < kWindowHeight; ++y) {
        for (int x = 0; x < kWindowWidth; ++x) {
            const bool same =
                std::equal(art.faceUp.at(x, y), art.faceUp.at(x, y) + 3, art.faceDown.at(x, y));
            if (!inKeyArea(x, y)) {
                ASSERT_TRUE(same) << "(" << x << ", " << y << ")";
            } else if (!same) {
                ++differing;
            }
        }
    }
    // Every key looks different when pressed.
    for (const FaceKey& k : faceKeys()) {
        const KeyRect& r = k.rect;
        int changed = 0;
        for (int y = r.top; y < r.top + r.height; ++y)
            for (int x = r.left; x < r.left + r.width; ++x)
                changed += !std::equal(art.faceUp.at(x, y), art.faceUp.at(x, y) + 3,
                                       art.faceDown.at(x, y));
        EXPECT_GT(changed, r.width * r.height / 2) << "key at " << r.left << "," << r.top;
    }
    EXPECT_GT(differing, 0);
}

// --- golden pictures of the whole window with the built-in artwork ---

const FontTables* handheldFonts() {
    static const std::unique_ptr<FontTables> fonts = [] {
        auto f = std::make_unique<FontTables>();
        if (!loadFontFile(std::string(corvane::test::binDir()) + "/duzezi.dat", *f)) f.reset();
        return f;
    }();
    return fonts.get();
}

// Compares with tests/golden/host/<name>.png; CORVANE_UPDATE_GOLDEN=1 rewrites the file. On a
// mismatch the picture is left in the build tree for a look.
void expectGolden(const RgbImage& image, const std::string& name) {
    const std::string golden =
        std::string(corvane::test::sourceDir()) + "/tests/golden/host/" + name;
    if (const char* update = std::getenv("CORVANE_UPDATE_GOLDEN"); update && *update == '1') {
        std::filesystem::create_directories(std::filesystem::path(golden).parent_path());
        ASSERT_TRUE(writePng(golden, image));
        return;
    }
    RgbImage want;
    ASSERT_TRUE(readPng(golden, want)) << "missing " << golden;
    if (image != want) {
        const std::string got = std::string(corvane::test::binDir()) + "/../tests/actual_" + name;
        writePng(got, image);
        FAIL() << name << " differs from its golden picture; see " << got;
    }
}

class WindowGolden : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(handheldFonts(), nullptr) << "duzezi.dat not built";
        window = std::make_unique<Window>(builtinSkinArt(), handheldFonts());
    }
    // A test picture on the LCD: a frame, a diagonal and a filled block.
    void drawLcdPattern() {
        auto set = [&](int x, int y) { m.mem[kLcdScreen + y * 20 + x / 8] |= 0x80 >> (x % 8); };
        for (int x = 0; x < 160; ++x) set(x, 0), set(x, 79);
        for (int y = 0; y < 80; ++y) set(0, y), set(159, y);
        for (int i = 0; i < 80; ++i) set(20 + i, i);
        for (int y = 20; y < 40; ++y)
            for (int x = 110; x < 140; ++x) set(x, y);
    }
    Machine m;
    std::unique_ptr<Window> window;
};

TEST_F(WindowGolden, IdleSplash) {
    window->paint(m, 0);
    expectGolden(window->image(), "window_idle.png");
}

TEST_F(WindowGolden, FrameWithLcdContent) {
    window->paint(m, 0);
    drawLcdPattern();
    window->frame(m);
    expectGolden(window->image(), "window_lcd.png");
}

TEST_F(WindowGolden, PressedFaceKey) {
    drawLcdPattern();
    window->paint(m, 1);
    const KeyRect enter = gridKeyRect(1, 9);
    window->leftButtonDown(enter.left + 5, enter.top + 5);
    expectGolden(window->image(), "window_key_pressed.png");
}

TEST_F(WindowGolden, OpenMenuWithGreyedItems) {
    window->paint(m, 0);
    window->rightButtonDown(120, 240);
    const KeyRect open = window->menu().itemRect(0, 0);
    window->pointerMove(open.left + 20, open.top + 5);
    expectGolden(window->image(), "window_menu.png");
}

TEST_F(WindowGolden, OpenSettingsWithCheckMark) {
    drawLcdPattern();
    window->displayCommand(kCmdBlackWhite);
    window->paint(m, 1);
    window->menu().setEnabled(kCmdClose, true);
    window->menu().setEnabled(kCmdReset, true);
    window->rightButtonDown(250, 150);
    const KeyRect settings = window->menu().itemRect(0, 3);
    window->pointerMove(settings.left + 10, settings.top + 5);
    expectGolden(window->image(), "window_menu_settings.png");
}

// The menus in each language: the pop-up as above, and "设定" with its languages open, the
// language in use checked. The longer English words widen the boxes; the shortcuts keep a
// column of their own.
TEST_F(WindowGolden, MenusInEachLanguage) {
    for (const std::string code : {"zh", "en"}) {
        const TextLanguageScope scope(*languageByCode(code));
        window = std::make_unique<Window>(builtinSkinArt(), handheldFonts());
        window->paint(m, 0);
        window->menu().setChecked(uint16_t(kCmdLanguage1 + textLanguage()), true);
        window->rightButtonDown(120, 240);
        const KeyRect open = window->menu().itemRect(0, 0);
        window->pointerMove(open.left + 20, open.top + 5);
        expectGolden(window->image(), code == "zh" ? "window_menu.png" : "window_menu_en.png");

        window->menu().close();
        window->rightButtonDown(10, 40);
        const KeyRect settings = window->menu().itemRect(0, 3);
        window->pointerMove(settings.left + 10, settings.top + 5);
        const KeyRect language = window->menu().itemRect(1, 25);
        window->pointerMove(language.left + 10, language.top + 5);
        ASSERT_TRUE(window->menu().languagesOpen());
        expectGolden(window->image(), "window_menu_languages_" + code + ".png");
    }
}

TEST_F(WindowGolden, Interlaced) {
    drawLcdPattern();
    window->paint(m, 1);
    window->displayCommand(kCmdInterlace);
    window->frame(m);
    expectGolden(window->image(), "window_interlaced.png");
}

TEST_F(WindowGolden, BlackAndWhite) {
    drawLcdPattern();
    window->paint(m, 1);
    window->displayCommand(kCmdBlackWhite);
    window->frame(m);
    expectGolden(window->image(), "window_black_white.png");
}

TEST_F(WindowGolden, NoticeOverTheLcd) {
    drawLcdPattern();
    window->paint(m, 1);
    window->setNotice("状态已保存: snake.1.state");
    expectGolden(window->image(), "window_notice.png");
}

// The running modes' signs on the bezel, the notice over the LCD; the captured picture has
// neither.
TEST_F(WindowGolden, ModeSignsOnTheBezel) {
    drawLcdPattern();
    window->paint(m, 1);
    window->setSigns({"● 录制", "快进 4x"});
    window->setNotice("录制已保存: snake-1.gif");
    expectGolden(window->image(), "window_signs.png");
    window->setSigns({});
    window->clearNotice();
    EXPECT_EQ(window->image(), window->capturedImage());
}

// The chooser's texts: a title too wide for the panel with a character the handheld's code page
// lacks, a folder path that shows only its end, folders and files in their colours, a file name
// cut at the panel's edge, the chosen file lit, the filter's name.
TEST_F(WindowGolden, InWindowChooser) {
    test::TempDir root;
    const std::filesystem::path folder =
        root / "a-folder-whose-name-is-too-long-for-the-panel-so-only-its-end-is-shown";
    std::filesystem::create_directories(folder / "saves");
    for (const char* name : {"snake.vrn", "tetris.vrn", "notes.txt", "z.VRN",
                             "a-program-whose-file-name-is-longer-than-the-list-is-wide-so-its-end-"
                             "is-cut.vrn"})
        test::writeText(folder / name, "");
    OpenFileRequest request;
    request.title = "打开Quillbox文件 (\u20ac 不在字库里, 显示为问号) 标题太长时只显示开头的部分";
    request.initialDir = folder.string();
    request.initialName = "tetris";
    request.filters = {{"Quillbox文件 (*.vrn)", "*.vrn"}, {"所有文件 (*.*)", "*.*"}};
    const Chooser chooser(request);
    window->paint(m, 0);
    RgbImage shown = window->image();
    chooser.draw(shown, handheldFonts());
    expectGolden(shown, "window_chooser.png");
}

// A message box drawn in the window: caption, sign, wrapped text and OK button over the face,
// clear of the hinge notch.
TEST_F(WindowGolden, MessageBoxOverTheWindow) {
    window->paint(m, 0);
    RgbImage shown = window->image();
    const MessagePanel box(
        "无法打开Quillbox文件! /home/someone/games/a-program-with-a-long-name.vrn",
        {0, 0, 435, 585});
    box.draw(shown, *handheldFonts());
    expectGolden(shown, "window_message.png");
}

}  // namespace
}  // namespace corvane
