#include "host/platform/win32/popup_menu.h"

#include <string>

#include "host/menu.h"
#include "shared/wide_text.h"

namespace corvane {

namespace {

void applyLevel(HMENU menu, const Menu& model, int level, int size) {
    // Built from the same definition: anything else is not our menu, and is left alone.
    if (GetMenuItemCount(menu) != size) return;
    // From the last item to the first, so a removal leaves the positions still to come in place.
    for (int i = size - 1; i >= 0; --i) {
        if (!model.isShown(level, i)) {
            DeleteMenu(menu, UINT(i), MF_BYPOSITION);
            continue;
        }
        const MenuItem& item = menuLevel(level)[size_t(i)];
        if (item.separator) continue;
        if (item.submenu) {
            // The item's own text too: it follows the language chosen.
            const std::wstring text = widen(model.text(level, i));
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STRING;
            info.dwTypeData = const_cast<wchar_t*>(text.c_str());
            SetMenuItemInfoW(menu, UINT(i), TRUE, &info);
            if (HMENU sub = GetSubMenu(menu, i))
                applyLevel(sub, model, level + 1, int(menuLevel(level + 1).size()));
            continue;
        }
        // By the host's item, not the resource's: the resource compiler makes an item without
        // text (a recent file) a separator.
        // The shortcut goes into the menu's own column, after a tab.
        const MenuLabel label = splitShortcut(model.text(level, i));
        std::wstring text = widen(label.label);
        if (!label.shortcut.empty()) text += L'\t' + widen(label.shortcut);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.fType = MFT_STRING;
        info.wID = item.command;
        info.fState = model.isEnabled(item.command) ? MFS_ENABLED : MFS_GRAYED;
        if (model.isChecked(item.command)) info.fState |= MFS_CHECKED;
        info.dwTypeData = text.data();
        SetMenuItemInfoW(menu, UINT(i), TRUE, &info);
    }
}

}  // namespace

void applyMenuModel(HMENU popup, const Menu& model) {
    applyLevel(popup, model, 0, int(kMenuItems.size()));
}

}  // namespace corvane
