#pragma once
// The window's only menu, the pop-up "文件" that the right mouse button opens: its items, their
// greyed and checked states, pointer and keyboard tracking while it is open, and its drawing into
// the window image with the handheld's own 12-pixel fonts.
//
// While the menu is open no instruction runs (the run loop asks isOpen()); a chosen command is
// returned to the caller, who carries it out as if it came from a real menu.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "host/image_io.h"
#include "host/skin.h"
#include "host/texts.h"

namespace corvane {

struct FontTables;

enum MenuCommand : uint16_t {
    kCmdNone = 0,
    kCmdExit = 40001,
    kCmdOpen = 40002,
    kCmdClose = 40003,
    kCmdReset = 40004,
    kCmdInterlace = 40047,
    kCmdBlackWhite = 40048,
    kCmdPause = 40050,        // pause or resume the program (F9)
    kCmdFastForward = 40051,  // fast-forward on or off (also while Tab is held)
    kCmdSpeedLimit = 40052,   // the configured instruction rate, or unlimited
    kCmdSaveState = 40053,    // save the machine to the chosen slot (F7)
    kCmdLoadState = 40054,    // load the machine from the chosen slot (F10)
    kCmdRecord = 40055,       // start or stop recording the LCD to an animated GIF (F11)
    kCmdSlot1 = 40061,        // choose state slot 1-4 (kCmdSlot1 + n - 1)
    kCmdSlot4 = 40064,
    kCmdRecent1 = 40071,  // open recent file 1-8 (kCmdRecent1 + n - 1), newest first
    kCmdRecent8 = 40078,
    kCmdScale1 = 40081,  // window at 1x-4x (kCmdScale1 + n - 1)
    kCmdScale4 = 40084,
    kCmdFullscreen = 40085,     // full screen on or off (Alt+Enter)
    kCmdFullscreenLcd = 40086,  // a full screen shows the LCD alone instead of the face
    kCmdRecordWindow = 40087,   // recordings take the whole window instead of the LCD
    kCmdAbout = 40088,          // version, keys and where the files live
    kCmdBeepSound = 40089,      // the program's Beep is heard through the audio device
    kCmdLanguage1 = 40091,      // the host's texts in language 1-8 (kCmdLanguage1 + n - 1)
    kCmdLanguageLast = 40098,
};

static_assert(kLanguageCount <= kCmdLanguageLast - kCmdLanguage1 + 1, "a command per language");

constexpr int kRecentFiles = 8;

constexpr int kStateSlots = 4;

struct MenuItem {
    TextId text;       // shown in the language chosen; not used by separators and recent files
    uint16_t command;  // 0 for the separator and the sub-menus
    bool separator;
    bool submenu;      // opens the next level: "设定" at the top, "Language / 语言" in it
    bool runtimeText;  // the recent files: the text is given at run time
};

// Top level, in order: "打开Quillbox文件...", "关闭Quillbox", "复位        F8", "设定", separator,
// the recent files and their separator (shown once there are any), "退出". Sub-menu: "隔行扫描",
// "黑白", "蜂鸣声", then the run controls, the state slots, recording, the window size and full
// screen, "Language / 语言" and "关于Corvane...". Its language sub-menu has one item per table of
// texts, each named in its own language ("中文", "English"), the default first.
extern const std::array<MenuItem, 15> kMenuItems;
extern const std::array<MenuItem, 27> kSubmenuItems;
extern const std::array<MenuItem, kLanguageCount> kLanguageItems;

// The levels: 0 the pop-up, 1 the sub-menu "设定", 2 the languages.
constexpr int kMenuLevels = 3;
std::span<const MenuItem> menuLevel(int level);

// An item's text as its label and its shortcut: "复位        F8" is "复位" and "F8". The shortcut
// is what follows the last run of two or more blanks (the handheld's fixed-width font lines the
// shortcuts up with blanks); none when there is no such run. A menu with a column of its own
// for shortcuts shows them there.
struct MenuLabel {
    std::string label;
    std::string shortcut;
    bool operator==(const MenuLabel&) const = default;
};
MenuLabel splitShortcut(std::string_view text);

// The command of an accelerator key (F8 gives Reset), kCmdNone for other keys. Accelerators
// work whatever the state of their menu item, greyed or not.
uint16_t acceleratorCommand(uint8_t vk);

// Where a point falls in the open menu.
struct MenuHit {
    int level = -1;  // -1 outside, 0 the top level, 1 the sub-menu, 2 the languages
    int index = -1;  // item index within the level
};

class Menu {
  public:
    // Start-up states: Close and Reset greyed, the display modes unchecked, menu closed.
    Menu();

    // Item states by command; unknown commands read as disabled/unchecked and are ignored.
    void setEnabled(uint16_t command, bool enabled);
    bool isEnabled(uint16_t command) const;
    void setChecked(uint16_t command, bool checked);
    bool isChecked(uint16_t command) const;
    // The text of an item whose text is given at run time (UTF-8; characters the handheld's code
    // page lacks show as "?"). Empty hides the item.
    void setText(uint16_t command, std::string_view utf8);
    // Whether an item takes room in the menu: not an item without text, nor a separator with
    // nothing shown since the one before.
    bool isShown(int level, int index) const;
    // The text an item shows (UTF-8): its own, or the one given at run time.
    std::string text(int level, int index) const;

    // Opens the menu with its top-left corner at window position (x, y), moved left or up as far
    // as needed to stay inside the menu's area. Nothing is highlighted.
    void open(int x, int y);
    // The area the boxes are kept in, window coordinates: the face inside the outline
    // (kFaceArea, and kPanelArea's columns for a box crossing the hinge notches' rows), within
    // `visible` (the part of the window the screen shows). Taken at the next open(), which also
    // moves the box left when "设定" would find room on neither side of it.
    void setBounds(const KeyRect& visible);
    void close();
    bool isOpen() const { return open_; }

    // Pointer events while open, in window coordinates. Each returns the command chosen (the menu
    // then closes) or kCmdNone. A button press outside the boxes closes the menu; releasing the
    // button over an enabled item chooses it; greyed items and the separator choose nothing.
    // Hovering or clicking "设定" opens the sub-menu, "Language / 语言" in it the languages.
    uint16_t pointerMove(int x, int y);
    uint16_t buttonDown(int x, int y);
    uint16_t buttonUp(int x, int y);

    // Keys while open (host virtual-key codes): Up/Down move the highlight over the items (not the
    // separator), Right or Enter on an item with a sub-menu opens it, Left leaves it, Enter
    // chooses an enabled item, Esc closes the sub-menu the highlight is in or else the menu.
    // Returns the command chosen.
    uint16_t keyDown(uint8_t vk);

    // Geometry of the open menu.
    MenuHit hitTest(int x, int y) const;
    KeyRect boxRect(int level) const;              // empty when that level is not shown
    KeyRect itemRect(int level, int index) const;  // within boxRect
    MenuHit highlighted() const { return highlight_; }
    bool submenuOpen() const { return open_ && depth_ >= 1; }
    bool languagesOpen() const { return open_ && depth_ >= 2; }

    // Draws the open menu (and its sub-menu) on top of `window`; nothing when closed. `fonts`
    // null draws the boxes without text.
    void draw(RgbImage& window, const FontTables* fonts) const;

  private:
    const std::string& gbText(int level, int index) const;
    int boxWidth(int level) const;
    int boxHeight(int level) const;
    int shownHeight(int level, int index) const;
    uint16_t choose(const MenuHit& hit);
    const MenuItem& item(int level, int index) const;
    int levelSize(int level) const;
    void moveHighlight(int step);

    static constexpr size_t kAllItems =
        kMenuItems.size() + kSubmenuItems.size() + kLanguageItems.size();
    // Item states, top-level items first, then the sub-menu's, then the languages'.
    std::array<bool, kAllItems> enabled_{};
    std::array<bool, kAllItems> checked_{};
    // Texts given at run time, in GB2312, for the items that have none of their own.
    std::array<std::string, kAllItems> runtimeText_{};
    std::array<std::string, kAllItems> runtimeSource_{};  // the UTF-8 each text was made from
    bool open_ = false;
    // The sub-menus open below the top level: 0 none, 1 "设定", 2 also the languages.
    int depth_ = 0;
    int left_ = 0;
    int top_ = 0;
    // The columns [first, second) a box on rows [top, top + height) may use.
    std::pair<int, int> columns(int top, int height) const;

    KeyRect bounds_ = kFaceArea;      // where the boxes go
    KeyRect openBounds_ = kFaceArea;  // bounds_ as it was when the menu opened
    MenuHit highlight_{};
};

}  // namespace corvane
