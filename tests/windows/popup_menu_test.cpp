// The pop-up menu corvane.exe shows: the menu resource it carries, with the host's menu applied.
// The recent files appear by their names, items without text and a separator with nothing before
// it are gone, greyed and checked items are as the host has them, and shortcuts stand in the
// menu's own column, after a tab.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/menu.h"
#include "host/platform/win32/popup_menu.h"
#include "host/platform/win32/resources.h"
#include "host/texts.h"
#include "shared/wide_text.h"

namespace corvane::test {
namespace {

// One item as the pop-up shows it: its text ("-" for a separator), "+" when greyed, "*" when
// checked, ">" when it opens a sub-menu.
std::vector<std::string> shownItems(HMENU menu) {
    std::vector<std::string> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 255;
        EXPECT_TRUE(GetMenuItemInfoW(menu, UINT(i), TRUE, &info));
        if (info.fType & MFT_SEPARATOR) {
            out.push_back("-");
            continue;
        }
        std::string item = narrow(text);
        if (info.fState & MFS_GRAYED) item += "+";
        if (info.fState & MFS_CHECKED) item += "*";
        if (info.hSubMenu) item += ">";
        out.push_back(item);
    }
    return out;
}

struct MenuCase {
    const char* name;
    std::vector<std::string> recent;  // texts of the recent files, newest first
    bool loaded;                      // Close and Reset enabled
    std::vector<std::string> top;     // the top level as shown
};

const std::vector<MenuCase> kMenuCases = {
    {"nothing opened yet",
     {},
     false,
     {"打开Quillbox文件...", "关闭Quillbox+", "复位\tF8+", "设定>", "-", "退出"}},
    {"two recent files",
     {"1 game.vrn", "2 文件.vrn"},
     true,
     {"打开Quillbox文件...", "关闭Quillbox", "复位\tF8", "设定>", "-", "1 game.vrn", "2 文件.vrn",
      "-", "退出"}},
    {"all eight",
     {"1 a", "2 b", "3 c", "4 d", "5 e", "6 f", "7 g", "8 h"},
     false,
     {"打开Quillbox文件...", "关闭Quillbox+", "复位\tF8+", "设定>", "-", "1 a", "2 b", "3 c", "4 d",
      "5 e", "6 f", "7 g", "8 h", "-", "退出"}},
};

TEST(PopupMenu, ShowsTheHostsMenuInTheResourceOfCorvaneExe) {
    HMODULE exe = LoadLibraryExW(widen(CORVANE_BIN_DIR "/corvane.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    for (const MenuCase& c : kMenuCases) {
        SCOPED_TRACE(c.name);
        Menu model;
        for (size_t i = 0; i < c.recent.size(); ++i)
            model.setText(uint16_t(kCmdRecent1 + i), c.recent[i]);
        model.setEnabled(kCmdClose, c.loaded);
        model.setEnabled(kCmdReset, c.loaded);
        model.setChecked(uint16_t(kCmdScale1 + 1), true);  // 2x
        model.setEnabled(kCmdPause, false);

        HMENU bar = LoadMenuW(exe, MAKEINTRESOURCEW(kMenuResource));
        ASSERT_NE(bar, nullptr);
        HMENU popup = GetSubMenu(bar, 0);
        applyMenuModel(popup, model);
        EXPECT_EQ(shownItems(popup), c.top);

        const std::vector<std::string> sub = shownItems(GetSubMenu(popup, 3));
        ASSERT_EQ(sub.size(), kSubmenuItems.size());  // every sub-menu item is shown
        EXPECT_EQ(sub[2], "蜂鸣声");
        EXPECT_EQ(sub[4], "暂停\tF9+");
        EXPECT_EQ(sub[19], "窗口 2x*");
        EXPECT_EQ(sub[18], "窗口 1x");
        EXPECT_EQ(sub[22], "全屏\tAlt+Enter");
        EXPECT_EQ(sub[25], "Language / 语言>");
        DestroyMenu(bar);
    }
    FreeLibrary(exe);
}

// The resource holds the default language's texts; the menu shows the language chosen, its
// languages each in their own, the one in use checked.
TEST(PopupMenu, ShowsTheLanguageChosen) {
    HMODULE exe = LoadLibraryExW(widen(CORVANE_BIN_DIR "/corvane.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    const TextLanguageScope english(*languageByCode("en"));
    Menu model;
    model.setChecked(uint16_t(kCmdLanguage1 + textLanguage()), true);
    HMENU bar = LoadMenuW(exe, MAKEINTRESOURCEW(kMenuResource));
    ASSERT_NE(bar, nullptr);
    HMENU popup = GetSubMenu(bar, 0);
    applyMenuModel(popup, model);
    EXPECT_EQ(shownItems(popup),
              (std::vector<std::string>{"Open Quillbox File...", "Close Quillbox+", "Reset\tF8+",
                                        "Settings>", "-", "Exit"}));
    HMENU sub = GetSubMenu(popup, 3);
    const std::vector<std::string> items = shownItems(sub);
    ASSERT_EQ(items.size(), kSubmenuItems.size());
    EXPECT_EQ(items[4], "Pause\tF9");
    EXPECT_EQ(items[25], "Language / 语言>");
    EXPECT_EQ(items[26], "About Corvane...");
    EXPECT_EQ(shownItems(GetSubMenu(sub, 25)), (std::vector<std::string>{"中文", "English*"}));
    DestroyMenu(bar);
    FreeLibrary(exe);
}

}  // namespace
}  // namespace corvane::test
