// The pop-up menu: item states, pointer and keyboard tracking, geometry.

#include <gtest/gtest.h>

#include <string>

#include "host/menu.h"

namespace corvane {
namespace {

constexpr int kOpenIndex = 0, kCloseIndex = 1, kResetIndex = 2, kSettingsIndex = 3,
              kSeparatorIndex = 4, kFirstRecentIndex = 5, kRecentSeparatorIndex = 13,
              kExitIndex = 14;

struct Point {
    int x, y;
};

Point centre(const KeyRect& r) {
    return {r.left + r.width / 2, r.top + r.height / 2};
}

class MenuTracking : public ::testing::Test {
  protected:
    MenuTracking() { menu.open(60, 80); }
    uint16_t click(int level, int index) {
        const Point p = centre(menu.itemRect(level, index));
        menu.pointerMove(p.x, p.y);
        const uint16_t down = menu.buttonDown(p.x, p.y);
        EXPECT_EQ(down, kCmdNone);
        return menu.buttonUp(p.x, p.y);
    }
    void hover(int level, int index) {
        const Point p = centre(menu.itemRect(level, index));
        menu.pointerMove(p.x, p.y);
    }
    Menu menu;
};

TEST(MenuModel, ItemsAndStartUpStates) {
    // The described items, with the recent files between the separator and "退出": they get
    // their texts at run time, and a separator of their own.
    const char* const texts[] = {"打开Quillbox文件...",
                                 "关闭Quillbox",
                                 "复位        F8",
                                 "设定",
                                 "",
                                 "",
                                 "",
                                 "",
                                 "",
                                 "",
                                 "",
                                 "",
                                 "",
                                 "",
                                 "退出"};
    const uint16_t commands[] = {40002, 40003, 40004, 0,     0,     40071, 40072, 40073,
                                 40074, 40075, 40076, 40077, 40078, 0,     40001};
    static_assert(std::size(texts) == kMenuItems.size());
    const Menu menu;
    for (size_t i = 0; i < kMenuItems.size(); ++i) {
        EXPECT_EQ(menu.text(0, int(i)), texts[i]);
        EXPECT_EQ(kMenuItems[i].command, commands[i]);
    }
    EXPECT_TRUE(kMenuItems[kSeparatorIndex].separator);
    EXPECT_TRUE(kMenuItems[kRecentSeparatorIndex].separator);
    EXPECT_EQ(kMenuItems[kFirstRecentIndex].command, kCmdRecent1);
    EXPECT_TRUE(kMenuItems[kSettingsIndex].submenu);
    EXPECT_EQ(menu.text(1, 0), "隔行扫描");
    EXPECT_EQ(kSubmenuItems[0].command, 40047);
    EXPECT_EQ(menu.text(1, 1), "黑白");
    EXPECT_EQ(kSubmenuItems[1].command, 40048);

    EXPECT_FALSE(menu.isOpen());
    EXPECT_TRUE(menu.isEnabled(kCmdOpen));
    EXPECT_FALSE(menu.isEnabled(kCmdClose));
    EXPECT_FALSE(menu.isEnabled(kCmdReset));
    EXPECT_TRUE(menu.isEnabled(kCmdExit));
    EXPECT_FALSE(menu.isChecked(kCmdInterlace));
    EXPECT_FALSE(menu.isChecked(kCmdBlackWhite));
    EXPECT_FALSE(menu.isEnabled(12345));
}

TEST(MenuModel, F8IsTheOnlyAccelerator) {
    EXPECT_EQ(acceleratorCommand(0x77), kCmdReset);
    for (int key = 0; key < 256; ++key) {
        if (key == 0x77) continue;
        EXPECT_EQ(acceleratorCommand(uint8_t(key)), kCmdNone) << key;
    }
}

TEST(MenuModel, ShortcutsAfterTheLastRunOfBlanks) {
    const std::pair<const char*, MenuLabel> cases[] = {
        {"复位        F8", {"复位", "F8"}},
        {"全屏        Alt+Enter", {"全屏", "Alt+Enter"}},
        {"录制GIF     F11", {"录制GIF", "F11"}},
        {"窗口 2x", {"窗口 2x", ""}},  // one blank is part of the label
        {"状态槽 1", {"状态槽 1", ""}},
        {"a  b  c", {"a  b", "c"}},
        {"trailing  ", {"trailing  ", ""}},
        {"  F8", {"  F8", ""}},  // no label before it
        {"", {"", ""}},
    };
    for (const auto& [text, parts] : cases) EXPECT_EQ(splitShortcut(text), parts) << text;
}

TEST(MenuModel, StatesByCommand) {
    Menu menu;
    menu.setEnabled(kCmdClose, true);
    menu.setChecked(kCmdBlackWhite, true);
    menu.setEnabled(999, true);  // unknown: ignored
    EXPECT_TRUE(menu.isEnabled(kCmdClose));
    EXPECT_FALSE(menu.isEnabled(kCmdReset));
    EXPECT_TRUE(menu.isChecked(kCmdBlackWhite));
    EXPECT_FALSE(menu.isChecked(kCmdInterlace));
    EXPECT_FALSE(menu.isEnabled(999));
}

TEST_F(MenuTracking, GreyedItemsChooseNothingAndKeepTheMenuOpen) {
    EXPECT_EQ(click(0, kCloseIndex), kCmdNone);
    EXPECT_EQ(click(0, kResetIndex), kCmdNone);
    EXPECT_EQ(click(0, kSeparatorIndex), kCmdNone);
    EXPECT_TRUE(menu.isOpen());
    menu.setEnabled(kCmdClose, true);
    EXPECT_EQ(click(0, kCloseIndex), kCmdClose);
    EXPECT_FALSE(menu.isOpen());
}

TEST_F(MenuTracking, EnabledItemsChooseTheirCommands) {
    EXPECT_EQ(click(0, kOpenIndex), kCmdOpen);
    menu.open(60, 80);
    EXPECT_EQ(click(0, kExitIndex), kCmdExit);
}

TEST_F(MenuTracking, PressOutsideCloses) {
    EXPECT_EQ(menu.buttonDown(5, 5), kCmdNone);
    EXPECT_FALSE(menu.isOpen());
    // Events to a closed menu do nothing.
    EXPECT_EQ(menu.buttonUp(70, 90), kCmdNone);
    EXPECT_EQ(menu.keyDown(vk::kEnter), kCmdNone);
}

TEST_F(MenuTracking, ReleaseOutsideKeepsItOpen) {
    // The button that opened the menu may come up anywhere.
    EXPECT_EQ(menu.buttonUp(5, 5), kCmdNone);
    EXPECT_TRUE(menu.isOpen());
}

TEST_F(MenuTracking, SettingsSubmenuByPointer) {
    EXPECT_TRUE(menu.boxRect(1).empty());
    hover(0, kSettingsIndex);
    EXPECT_TRUE(menu.submenuOpen());
    EXPECT_FALSE(menu.boxRect(1).empty());
    EXPECT_EQ(click(1, 1), kCmdBlackWhite);
    EXPECT_FALSE(menu.isOpen());

    menu.open(60, 80);
    hover(0, kSettingsIndex);
    hover(0, kOpenIndex);  // moving to another top item closes the sub-menu
    EXPECT_FALSE(menu.submenuOpen());
    EXPECT_EQ(click(0, kSettingsIndex), kCmdNone);  // clicking it opens it again
    EXPECT_TRUE(menu.submenuOpen());
    EXPECT_EQ(click(1, 0), kCmdInterlace);
}

TEST_F(MenuTracking, Keyboard) {
    struct Step {
        uint8_t key;
        int level, index;  // highlight after the key
        uint16_t command;
    };
    const Step steps[] = {
        {vk::kDown, 0, kOpenIndex, 0},
        {vk::kUp, 0, kExitIndex, 0},      // wraps
        {vk::kUp, 0, kSettingsIndex, 0},  // skips the separator
        {vk::kDown, 0, kExitIndex, 0},
        {vk::kUp, 0, kSettingsIndex, 0},
        {vk::kRight, 1, 0, 0},
        {vk::kDown, 1, 1, 0},
        {vk::kLeft, 0, kSettingsIndex, 0},
        {vk::kEnter, 1, 0, 0},
        {vk::kEscape, 0, kSettingsIndex, 0},
        {vk::kUp, 0, kResetIndex, 0},
        {vk::kEnter, 0, kResetIndex, 0},  // greyed: nothing happens
    };
    for (const Step& s : steps) {
        EXPECT_EQ(menu.keyDown(s.key), s.command) << "key " << int(s.key);
        EXPECT_EQ(menu.highlighted().level, s.level) << "key " << int(s.key);
        EXPECT_EQ(menu.highlighted().index, s.index) << "key " << int(s.key);
    }
    EXPECT_TRUE(menu.isOpen());
    menu.keyDown(vk::kUp);
    menu.keyDown(vk::kUp);
    EXPECT_EQ(menu.keyDown(vk::kEnter), kCmdOpen);
    EXPECT_FALSE(menu.isOpen());

    menu.open(60, 80);
    EXPECT_EQ(menu.keyDown(vk::kEnter), kCmdNone);  // nothing highlighted
    EXPECT_EQ(menu.keyDown(vk::kEscape), kCmdNone);
    EXPECT_FALSE(menu.isOpen());
}

TEST(MenuGeometry, HitTestFindsEveryItemAtItsRect) {
    Menu menu;
    menu.open(100, 100);
    menu.keyDown(vk::kUp);  // "退出"
    menu.keyDown(vk::kUp);  // "设定"
    menu.keyDown(vk::kRight);
    ASSERT_TRUE(menu.submenuOpen());
    for (int level = 0; level < 2; ++level) {
        const int n = level == 0 ? int(kMenuItems.size()) : int(kSubmenuItems.size());
        for (int i = 0; i < n; ++i) {
            const KeyRect r = menu.itemRect(level, i);
            if (!menu.isShown(level, i)) {
                EXPECT_TRUE(r.empty());
                continue;
            }
            for (Point p : {Point{r.left, r.top}, centre(r),
                            Point{r.left + r.width - 1, r.top + r.height - 1}}) {
                const MenuHit hit = menu.hitTest(p.x, p.y);
                EXPECT_EQ(hit.level, level);
                EXPECT_EQ(hit.index, i);
            }
        }
    }
    const KeyRect box = menu.boxRect(0);
    EXPECT_EQ(menu.hitTest(box.left - 1, box.top).level, -1);
    EXPECT_EQ(menu.hitTest(box.left, box.top).index, -1);  // the frame belongs to no item
}

// The boxes stay inside the outline, clear of its corners and hinge notches, so the window's
// shape cuts none of them, wherever the menu opens.
TEST(MenuGeometry, StaysInsideTheWindow) {
    const Point corners[] = {{0, 0}, {434, 584}, {434, 0}, {0, 584}, {300, 500}, {-20, -20}};
    for (Point at : corners) {
        Menu menu;
        menu.open(at.x, at.y);
        menu.keyDown(vk::kUp);
        menu.keyDown(vk::kUp);
        menu.keyDown(vk::kRight);
        for (int level = 0; level < 2; ++level) {
            const KeyRect b = menu.boxRect(level);
            ASSERT_FALSE(b.empty());
            const KeyRect& a = kFaceArea;
            EXPECT_GE(b.left, a.left);
            EXPECT_GE(b.top, a.top);
            EXPECT_LE(b.left + b.width, a.left + a.width)
                << at.x << "," << at.y << " level " << level;
            EXPECT_LE(b.top + b.height, a.top + a.height)
                << at.x << "," << at.y << " level " << level;
            for (int x = b.left; x < b.left + b.width; ++x)
                for (int y = b.top; y < b.top + b.height; ++y)
                    ASSERT_TRUE(insideOutline(x, y)) << x << "," << y << " level " << level;
        }
        // The sub-menu never hides its parent item.
        const KeyRect parent = menu.itemRect(0, kSettingsIndex);
        const Point c = centre(parent);
        EXPECT_EQ(menu.hitTest(c.x, c.y).level, 0) << at.x << "," << at.y;
    }
}

// "Language / 语言" in "设定" opens the languages, each named in its own language whichever is
// chosen. Keys and the pointer reach them and leave them again, and all three boxes stay inside
// the window without covering the items that opened them, wherever the menu opens.
TEST(MenuLanguages, ReachedByKeysAndPointerInsideTheWindow) {
    constexpr int kLanguageIndex = 25;  // in the sub-menu, before "关于Corvane..."
    ASSERT_TRUE(kSubmenuItems[kLanguageIndex].submenu);
    const Point corners[] = {{0, 0}, {434, 584}, {434, 0}, {0, 584}, {150, 300}};
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        const TextLanguageScope scope(lang);
        for (Point at : corners) {
            SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y) + " language " +
                         std::to_string(lang));
            Menu menu;
            menu.open(at.x, at.y);
            for (uint8_t key : {vk::kUp, vk::kUp, vk::kRight, vk::kUp, vk::kUp, vk::kRight})
                EXPECT_EQ(menu.keyDown(key), kCmdNone);
            ASSERT_TRUE(menu.languagesOpen());
            EXPECT_EQ(menu.highlighted().level, 2);
            EXPECT_EQ(menu.highlighted().index, 0);
            EXPECT_EQ(menu.text(1, kLanguageIndex), "Language / 语言");
            EXPECT_EQ(menu.text(2, 0), "中文");
            EXPECT_EQ(menu.text(2, 1), "English");
            for (int level = 0; level < kMenuLevels; ++level) {
                const KeyRect b = menu.boxRect(level);
                ASSERT_FALSE(b.empty()) << level;
                for (int x = b.left; x < b.left + b.width; ++x)
                    for (int y = b.top; y < b.top + b.height; ++y)
                        ASSERT_TRUE(insideOutline(x, y)) << x << "," << y << " level " << level;
            }
            for (MenuHit opener : {MenuHit{0, kSettingsIndex}, MenuHit{1, kLanguageIndex}}) {
                const Point c = centre(menu.itemRect(opener.level, opener.index));
                EXPECT_EQ(menu.hitTest(c.x, c.y).level, opener.level);
            }
            for (int i = 0; i < kLanguageCount; ++i) {
                const Point c = centre(menu.itemRect(2, i));
                EXPECT_EQ(menu.hitTest(c.x, c.y).level, 2);
                EXPECT_EQ(menu.hitTest(c.x, c.y).index, i);
            }
            // Left and Esc step back one level each; the pointer opens and closes it too.
            menu.keyDown(vk::kLeft);
            EXPECT_FALSE(menu.languagesOpen());
            EXPECT_EQ(menu.highlighted().index, kLanguageIndex);
            menu.keyDown(vk::kRight);
            menu.keyDown(vk::kEscape);
            EXPECT_FALSE(menu.languagesOpen());
            EXPECT_TRUE(menu.submenuOpen());
            const Point item = centre(menu.itemRect(1, kLanguageIndex));
            menu.pointerMove(item.x, item.y);
            EXPECT_TRUE(menu.languagesOpen());
            const Point english = centre(menu.itemRect(2, 1));
            menu.pointerMove(english.x, english.y);
            EXPECT_EQ(menu.buttonDown(english.x, english.y), kCmdNone);
            EXPECT_EQ(menu.buttonUp(english.x, english.y), kCmdLanguage1 + 1);
            EXPECT_FALSE(menu.isOpen());
        }
    }
}

TEST(MenuRecentFiles, ItemsShowOnceTheyHaveTextWithTheirSeparator) {
    Menu menu;
    menu.open(0, 0);
    const int emptyHeight = menu.boxRect(0).height;
    EXPECT_FALSE(menu.isShown(0, kFirstRecentIndex));
    EXPECT_FALSE(menu.isShown(0, kRecentSeparatorIndex));
    EXPECT_EQ(menu.itemRect(0, kExitIndex).top, menu.itemRect(0, kSeparatorIndex).top + 9);

    menu.setText(kCmdRecent1, "1 snake.vrn");
    menu.setText(uint16_t(kCmdRecent1 + 1), "2 \u00e9t\u00e9 \u6e38\u620f.vrn");  // é lacks a code
    EXPECT_TRUE(menu.isShown(0, kFirstRecentIndex));
    EXPECT_TRUE(menu.isShown(0, kRecentSeparatorIndex));
    EXPECT_FALSE(menu.isShown(0, kFirstRecentIndex + 2));
    EXPECT_EQ(menu.boxRect(0).height, emptyHeight + 2 * 18 + 9);
    // Keyboard and pointer reach them; the hidden ones are skipped.
    menu.keyDown(vk::kUp);  // "退出"
    menu.keyDown(vk::kUp);
    EXPECT_EQ(menu.highlighted().index, kFirstRecentIndex + 1);
    const KeyRect r = menu.itemRect(0, kFirstRecentIndex);
    menu.buttonDown(centre(r).x, centre(r).y);
    EXPECT_EQ(menu.buttonUp(centre(r).x, centre(r).y), kCmdRecent1);

    // The text takes its room: a wider name makes a wider menu.
    menu.open(0, 0);
    const int width = menu.boxRect(0).width;
    menu.setText(kCmdRecent1, "1 a-much-longer-name-than-any-item.vrn");
    EXPECT_GT(menu.boxRect(0).width, width);
    menu.setText(kCmdRecent1, "");
    menu.setText(uint16_t(kCmdRecent1 + 1), "");
    EXPECT_EQ(menu.boxRect(0).height, emptyHeight);
}

}  // namespace
}  // namespace corvane
