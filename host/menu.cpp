// The pop-up menu: item states, tracking and drawing.

#include "host/menu.h"

#include <algorithm>
#include <string>

#include "host/window_text.h"
#include "library/gb2312.h"

namespace corvane {

// The items come from the menu definition in resources/menu.inc.
#define MENU_ITEM(text, command) {TextId::text, command, false, false, false},
#define MENU_SEPARATOR() {TextId{}, kCmdNone, true, false, false},
#define MENU_RUNTIME(command) {TextId{}, command, false, false, true},
#define MENU_SUBMENU(text) {TextId::text, kCmdNone, false, true, false},
#define SUBMENU_ITEM(text, command)
#define SUBMENU_SEPARATOR()
#define SUBMENU_LANGUAGES(text)
#define ACCELERATOR(key, command)
const std::array<MenuItem, 15> kMenuItems = {{
#include "resources/menu.inc"
}};
#undef MENU_ITEM
#undef MENU_SEPARATOR
#undef MENU_RUNTIME
#undef MENU_SUBMENU
#undef SUBMENU_ITEM
#undef SUBMENU_SEPARATOR
#undef SUBMENU_LANGUAGES

#define MENU_ITEM(text, command)
#define MENU_SEPARATOR()
#define MENU_RUNTIME(command)
#define MENU_SUBMENU(text)
#define SUBMENU_ITEM(text, command) {TextId::text, command, false, false, false},
#define SUBMENU_SEPARATOR() {TextId{}, kCmdNone, true, false, false},
#define SUBMENU_LANGUAGES(text) {TextId::text, kCmdNone, false, true, false},
const std::array<MenuItem, 27> kSubmenuItems = {{
#include "resources/menu.inc"
}};
#undef SUBMENU_ITEM
#undef SUBMENU_SEPARATOR
#undef SUBMENU_LANGUAGES
// The array's size must match the definition exactly (a shorter list would leave empty items).
#define SUBMENU_ITEM(text, command) +1
#define SUBMENU_SEPARATOR() +1
#define SUBMENU_LANGUAGES(text) +1
constexpr size_t kSubmenuDefined = 0
#include "resources/menu.inc"
    ;
static_assert(kSubmenuDefined == kSubmenuItems.size());
#undef MENU_ITEM
#undef MENU_SEPARATOR
#undef MENU_RUNTIME
#undef MENU_SUBMENU
#undef SUBMENU_ITEM
#undef SUBMENU_SEPARATOR
#undef SUBMENU_LANGUAGES
#undef ACCELERATOR

// Each language's item is named in that language (Menu::gbText), whichever is chosen.
const std::array<MenuItem, kLanguageCount> kLanguageItems = [] {
    std::array<MenuItem, kLanguageCount> items{};
    for (int i = 0; i < kLanguageCount; ++i)
        items[size_t(i)] = {TextId::LanguageName, uint16_t(kCmdLanguage1 + i), false, false, false};
    return items;
}();

std::span<const MenuItem> menuLevel(int level) {
    switch (level) {
        case 0:
            return kMenuItems;
        case 1:
            return kSubmenuItems;
        default:
            return kLanguageItems;
    }
}

MenuLabel splitShortcut(std::string_view text) {
    const size_t gap = text.rfind("  ");
    if (gap == std::string_view::npos || gap + 2 >= text.size()) return {std::string(text), {}};
    const size_t labelEnd = text.find_last_not_of(' ', gap);
    if (labelEnd == std::string_view::npos) return {std::string(text), {}};
    return {std::string(text.substr(0, labelEnd + 1)), std::string(text.substr(gap + 2))};
}

uint16_t acceleratorCommand(uint8_t key) {
#define MENU_ITEM(text, command)
#define MENU_SEPARATOR()
#define MENU_RUNTIME(command)
#define MENU_SUBMENU(text)
#define SUBMENU_ITEM(text, command)
#define SUBMENU_SEPARATOR()
#define SUBMENU_LANGUAGES(text)
#define ACCELERATOR(accelKey, command) \
    if (key == (accelKey)) return command;
#include "resources/menu.inc"
#undef MENU_ITEM
#undef MENU_SEPARATOR
#undef MENU_RUNTIME
#undef MENU_SUBMENU
#undef SUBMENU_ITEM
#undef SUBMENU_SEPARATOR
#undef SUBMENU_LANGUAGES
#undef ACCELERATOR
    return kCmdNone;
}

namespace {

constexpr int kTopCount = int(kMenuItems.size());
constexpr int kSubCount = int(kSubmenuItems.size());
constexpr int kAllCount = kTopCount + kSubCount + kLanguageCount;

constexpr int kBorder = 3;
constexpr int kItemHeight = 18;
constexpr int kSeparatorHeight = 9;
constexpr int kCheckMargin = 18;  // room for the check mark left of the text
constexpr int kArrowMargin = 20;  // room for the sub-menu arrow right of the text
constexpr int kGlyphHeight = 12;  // the fonts' height

constexpr Rgb kLight{255, 255, 255};
constexpr Rgb kDark{64, 64, 64};
constexpr Rgb kText{0, 0, 0};

int flatIndex(int level, int index) {
    return level == 0 ? index : level == 1 ? kTopCount + index : kTopCount + kSubCount + index;
}

// The item texts in the handheld's code page, converted once for every language. A language's
// own item is named in that language whichever is chosen, so it can be found in any.
const std::string& staticGbText(int level, int index) {
    static const auto texts = [] {
        std::array<std::array<std::string, kAllCount>, kLanguageCount> out;
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            for (int l = 0; l < kMenuLevels; ++l) {
                const std::span<const MenuItem> items = menuLevel(l);
                for (int i = 0; i < int(items.size()); ++i) {
                    const MenuItem& it = items[size_t(i)];
                    if (it.separator || it.runtimeText) continue;
                    const std::string& utf8 =
                        l == 2 ? hostTextIn(i, it.text) : hostTextIn(lang, it.text);
                    utf8ToGb2312(utf8, out[size_t(lang)][size_t(flatIndex(l, i))]);
                }
            }
        }
        return out;
    }();
    return texts[size_t(textLanguage())][size_t(flatIndex(level, index))];
}

int itemHeight(const MenuItem& item) {
    return item.separator ? kSeparatorHeight : kItemHeight;
}

// The index of the item in `level` that opens the next level.
int submenuIndex(int level) {
    const std::span<const MenuItem> items = menuLevel(level);
    for (int i = 0; i < int(items.size()); ++i)
        if (items[size_t(i)].submenu) return i;
    return -1;
}

// The item that opens `level` (1 or 2).
MenuHit parentItem(int level) {
    return {level - 1, submenuIndex(level - 1)};
}

bool inRect(const KeyRect& r, int x, int y) {
    return !r.empty() && x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height;
}

void drawCheck(RgbImage& img, int x, int y, Rgb c) {
    // A 7 x 7 tick, three pixels thick.
    static const int kTickY[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 3; ++j) setPixel(img, x + i, y + kTickY[i] + j, c);
}

void drawArrow(RgbImage& img, int x, int y, Rgb c) {
    for (int i = 0; i < 4; ++i)
        for (int j = -3 + i; j <= 3 - i; ++j) setPixel(img, x + i, y + j, c);
}

}  // namespace

Menu::Menu() {
    enabled_.fill(true);
    enabled_[1] = false;  // Close: nothing is loaded yet
    enabled_[2] = false;  // Reset
    checked_.fill(false);
}

namespace {

// Flat state index of a command: top-level items first, then the sub-menu's, the languages'.
int searchStateIndex(uint16_t command) {
    if (command == kCmdNone) return -1;
    for (int l = 0; l < kMenuLevels; ++l) {
        const std::span<const MenuItem> items = menuLevel(l);
        for (int i = 0; i < int(items.size()); ++i)
            if (items[size_t(i)].command == command) return flatIndex(l, i);
    }
    return -1;
}

// The window syncs its menu's states after every frame and idle slice, some thirty look-ups a
// time; the commands lie in a narrow range, so a table made once answers them.
constexpr uint16_t kFirstTabledCommand = kCmdExit - 1;
constexpr size_t kTabledCommands = 256;

int stateIndex(uint16_t command) {
    static const std::array<int16_t, kTabledCommands> table = [] {
        std::array<int16_t, kTabledCommands> t{};
        for (size_t c = 0; c < t.size(); ++c)
            t[c] = int16_t(searchStateIndex(uint16_t(kFirstTabledCommand + c)));
        return t;
    }();
    const uint32_t slot = uint32_t(command) - kFirstTabledCommand;
    return slot < table.size() ? table[slot] : searchStateIndex(command);
}

}  // namespace

void Menu::setEnabled(uint16_t command, bool enabled) {
    const int i = stateIndex(command);
    if (i >= 0) enabled_[size_t(i)] = enabled;
}

bool Menu::isEnabled(uint16_t command) const {
    const int i = stateIndex(command);
    return i >= 0 && enabled_[size_t(i)];
}

void Menu::setChecked(uint16_t command, bool checked) {
    const int i = stateIndex(command);
    if (i >= 0) checked_[size_t(i)] = checked;
}

bool Menu::isChecked(uint16_t command) const {
    const int i = stateIndex(command);
    return i >= 0 && checked_[size_t(i)];
}

const MenuItem& Menu::item(int level, int index) const {
    return menuLevel(level)[size_t(index)];
}

int Menu::levelSize(int level) const {
    return int(menuLevel(level).size());
}

const std::string& Menu::gbText(int level, int index) const {
    const std::string& own = staticGbText(level, index);
    return own.empty() ? runtimeText_[size_t(flatIndex(level, index))] : own;
}

void Menu::setText(uint16_t command, std::string_view utf8) {
    const int i = stateIndex(command);
    if (i < 0) return;
    // The window sets the same texts again at every sync: converting them is the costly part.
    if (runtimeSource_[size_t(i)] == utf8) return;
    runtimeSource_[size_t(i)] = utf8;
    // Character by character, so one the code page lacks costs only itself.
    runtimeText_[size_t(i)] = gbDisplayText(utf8);
}

std::string Menu::text(int level, int index) const {
    std::string utf8;
    gb2312ToUtf8(gbText(level, index), utf8);
    return utf8;
}

bool Menu::isShown(int level, int index) const {
    const MenuItem& it = item(level, index);
    if (!it.separator) return it.submenu || !gbText(level, index).empty();
    for (int i = index - 1; i >= 0; --i) {
        if (item(level, i).separator) {
            if (isShown(level, i)) return false;
            continue;
        }
        if (isShown(level, i)) return true;
    }
    return false;
}

int Menu::shownHeight(int level, int index) const {
    return isShown(level, index) ? itemHeight(item(level, index)) : 0;
}

int Menu::boxWidth(int level) const {
    int widest = 0;
    for (int i = 0; i < levelSize(level); ++i)
        if (isShown(level, i)) widest = std::max(widest, gbTextWidth(gbText(level, i)));
    return 2 * kBorder + kCheckMargin + widest + kArrowMargin;
}

int Menu::boxHeight(int level) const {
    int h = 2 * kBorder;
    for (int i = 0; i < levelSize(level); ++i) h += shownHeight(level, i);
    return h;
}

void Menu::setBounds(const KeyRect& visible) {
    const int left = std::max(kFaceArea.left, visible.left);
    const int top = std::max(kFaceArea.top, visible.top);
    const int right = std::min(kFaceArea.left + kFaceArea.width, visible.left + visible.width);
    const int bottom = std::min(kFaceArea.top + kFaceArea.height, visible.top + visible.height);
    // A sliver of the window on the screen is no place for a menu: the face's own area then.
    bounds_ =
        right > left && bottom > top ? KeyRect{left, top, right - left, bottom - top} : kFaceArea;
}

std::pair<int, int> Menu::columns(int top, int height) const {
    const KeyRect& b = openBounds_;
    int left = b.left;
    int right = b.left + b.width;
    if (top < kNotchBottom && top + height > kNotchTop) {
        left = std::max(left, kPanelArea.left);
        right = std::min(right, kPanelArea.left + kPanelArea.width);
    }
    return {left, std::max(left, right)};
}

void Menu::open(int x, int y) {
    openBounds_ = bounds_;
    const KeyRect& b = openBounds_;
    const int w = boxWidth(0);
    const int h = boxHeight(0);
    top_ = std::clamp(y, b.top, std::max(b.top, b.top + b.height - h));
    const auto [first, end] = columns(top_, h);
    left_ = std::clamp(x, first, std::max(first, end - w));
    open_ = true;
    depth_ = 0;
    highlight_ = {};
    // "设定" opens beside the box: when it would find room on neither side, the box moves left
    // until it fits to the right, rather than covering the items that opened it.
    const int subW = boxWidth(1);
    const int subH = boxHeight(1);
    const int subTop = std::clamp(itemRect(0, submenuIndex(0)).top - kBorder, b.top,
                                  std::max(b.top, b.top + b.height - subH));
    const auto [subFirst, subEnd] = columns(subTop, subH);
    const bool fitsRight = left_ + w - kBorder + subW <= subEnd;
    const bool fitsLeft = left_ - subW + kBorder >= subFirst;
    if (!fitsRight && !fitsLeft) left_ = std::max(first, subEnd - subW - w + kBorder);
}

void Menu::close() {
    open_ = false;
    depth_ = 0;
    highlight_ = {};
}

KeyRect Menu::boxRect(int level) const {
    if (!open_ || level < 0 || level > depth_) return {};
    if (level == 0) return {left_, top_, boxWidth(0), boxHeight(0)};
    // A sub-menu opens to the right of its parent box, or to the left when its area ends first;
    // one whose parent went left goes on leftwards while there is room, so it never covers the
    // box before.
    const KeyRect parent = boxRect(level - 1);
    const int w = boxWidth(level);
    const int h = boxHeight(level);
    const KeyRect& b = openBounds_;
    const MenuHit opener = parentItem(level);
    const int parentTop = itemRect(opener.level, opener.index).top;
    const int y = std::clamp(parentTop - kBorder, b.top, std::max(b.top, b.top + b.height - h));
    const auto [first, end] = columns(y, h);
    const int right = parent.left + parent.width - kBorder;
    const int left = parent.left - w + kBorder;
    const bool fitsRight = right + w <= end;
    const bool fitsLeft = left >= first;
    const bool leftwards = level >= 2 && parent.left < boxRect(level - 2).left;
    int x = fitsRight ? right : std::max(first, left);
    if (leftwards) x = fitsLeft ? left : (fitsRight ? right : first);
    const KeyRect root = boxRect(0);
    if (level >= 2 && x < root.left + root.width && x + w > root.left &&
        y < root.top + root.height && y + h > root.top && root.top - h >= b.top) {
        // Over the top-level box it would hide what opened the menus: above that box instead.
        const int above = root.top - h;
        const auto [aboveFirst, aboveEnd] = columns(above, h);
        return {std::clamp(x, aboveFirst, std::max(aboveFirst, aboveEnd - w)), above, w, h};
    }
    return {x, y, w, h};
}

KeyRect Menu::itemRect(int level, int index) const {
    if (!open_ || level < 0 || level >= kMenuLevels || index < 0 || index >= levelSize(level))
        return {};
    const KeyRect box = boxRect(level);
    if (box.empty()) return {};
    int y = box.top + kBorder;
    for (int i = 0; i < index; ++i) y += shownHeight(level, i);
    return {box.left + kBorder, y, box.width - 2 * kBorder, shownHeight(level, index)};
}

MenuHit Menu::hitTest(int x, int y) const {
    if (!open_) return {};
    for (int level = depth_; level >= 0; --level) {
        if (!inRect(boxRect(level), x, y)) continue;
        for (int i = 0; i < levelSize(level); ++i) {
            if (inRect(itemRect(level, i), x, y)) return {level, i};
        }
        return {level, -1};  // on the box's border
    }
    return {};
}

uint16_t Menu::pointerMove(int x, int y) {
    if (!open_) return kCmdNone;
    const MenuHit hit = hitTest(x, y);
    if (hit.level < 0 || hit.index < 0) {
        // Leaving the boxes keeps the open sub-menus and the item that opened the last one lit;
        // otherwise nothing is.
        highlight_ = depth_ > 0 ? parentItem(depth_) : MenuHit{};
        return kCmdNone;
    }
    const MenuItem& it = item(hit.level, hit.index);
    if (it.separator) {
        highlight_ = {};
        depth_ = std::min(depth_, hit.level);
        return kCmdNone;
    }
    highlight_ = hit;
    depth_ = it.submenu ? hit.level + 1 : hit.level;
    return kCmdNone;
}

uint16_t Menu::buttonDown(int x, int y) {
    if (!open_) return kCmdNone;
    if (hitTest(x, y).level < 0) {
        close();
        return kCmdNone;
    }
    return pointerMove(x, y);
}

uint16_t Menu::buttonUp(int x, int y) {
    if (!open_) return kCmdNone;
    const MenuHit hit = hitTest(x, y);
    if (hit.level < 0 || hit.index < 0) return kCmdNone;
    pointerMove(x, y);
    return choose(hit);
}

uint16_t Menu::choose(const MenuHit& hit) {
    const MenuItem& it = item(hit.level, hit.index);
    if (it.separator) return kCmdNone;
    if (it.submenu) {
        depth_ = hit.level + 1;
        highlight_ = {hit.level + 1, 0};
        return kCmdNone;
    }
    const int state = flatIndex(hit.level, hit.index);
    if (!enabled_[size_t(state)]) return kCmdNone;
    close();
    return it.command;
}

void Menu::moveHighlight(int step) {
    const int level = highlight_.level < 0 ? 0 : highlight_.level;
    const int n = levelSize(level);
    int i = highlight_.level < 0 ? (step > 0 ? -1 : n) : highlight_.index;
    for (int tries = 0; tries < n; ++tries) {
        i = (i + step + n) % n;
        if (!item(level, i).separator && isShown(level, i)) break;
    }
    highlight_ = {level, i};
    depth_ = level;
}

uint16_t Menu::keyDown(uint8_t key) {
    if (!open_) return kCmdNone;
    const int level = highlight_.level;
    const bool inSub = level >= 1;
    const bool onSubmenu =
        level >= 0 && highlight_.index >= 0 && item(level, highlight_.index).submenu;
    switch (key) {
        case vk::kEscape:
            if (inSub) {
                depth_ = level - 1;
                highlight_ = parentItem(level);
            } else {
                close();
            }
            return kCmdNone;
        case vk::kUp:
            moveHighlight(-1);
            return kCmdNone;
        case vk::kDown:
            moveHighlight(+1);
            return kCmdNone;
        case vk::kRight:
            if (onSubmenu) choose(highlight_);
            return kCmdNone;
        case vk::kLeft:
            if (inSub) {
                depth_ = level - 1;
                highlight_ = parentItem(level);
            }
            return kCmdNone;
        case vk::kEnter:
            if (highlight_.level < 0) return kCmdNone;
            return choose(highlight_);
        default:
            return kCmdNone;
    }
}

void Menu::draw(RgbImage& window, const FontTables* fonts) const {
    if (!open_) return;
    for (int level = 0; level <= depth_; ++level) {
        const KeyRect box = boxRect(level);
        if (box.empty()) continue;
        const int l = box.left, t = box.top, w = box.width, h = box.height;
        // A raised frame: light outer top-left, dark outer bottom-right, shadow inside it.
        fillRect(window, l, t, w, h, kPanelFace);
        fillRect(window, l, t, w, 1, kPanelFace);
        fillRect(window, l + 1, t + 1, w - 2, 1, kLight);
        fillRect(window, l + 1, t + 1, 1, h - 2, kLight);
        fillRect(window, l, t + h - 1, w, 1, kDark);
        fillRect(window, l + w - 1, t, 1, h, kDark);
        fillRect(window, l + 1, t + h - 2, w - 2, 1, kPanelShadow);
        fillRect(window, l + w - 2, t + 1, 1, h - 2, kPanelShadow);

        for (int i = 0; i < levelSize(level); ++i) {
            const MenuItem& it = item(level, i);
            const KeyRect r = itemRect(level, i);
            if (r.empty()) continue;
            if (it.separator) {
                const int y = r.top + r.height / 2 - 1;
                fillRect(window, r.left + 1, y, r.width - 2, 1, kPanelShadow);
                fillRect(window, r.left + 1, y + 1, r.width - 2, 1, kLight);
                continue;
            }
            const int state = flatIndex(level, i);
            const bool lit = highlight_.level == level && highlight_.index == i;
            const bool enabled = enabled_[size_t(state)];
            if (lit) fillRect(window, r.left, r.top, r.width, r.height, kPanelHighlight);
            const Rgb ink = !enabled ? kPanelShadow : (lit ? kPanelHighlightText : kText);
            const int textX = r.left + kCheckMargin;
            const int textY = r.top + (r.height - kGlyphHeight) / 2;
            if (fonts) {
                // Greyed text is engraved: a light copy one pixel down-right under the grey.
                if (!enabled && !lit)
                    drawGbText(window, textX + 1, textY + 1, gbText(level, i), *fonts, kLight);
                drawGbText(window, textX, textY, gbText(level, i), *fonts, ink);
            }
            if (checked_[size_t(state)]) drawCheck(window, r.left + 5, r.top + 4, ink);
            if (it.submenu) drawArrow(window, r.left + r.width - 10, r.top + r.height / 2, ink);
        }
    }
}

}  // namespace corvane
