#include "host/platform/win32/popup_menu.h"

#include <string>

#include "host/menu.h"
#include "host/platform/win32/wide_text.h"

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
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &info)) continue;
        if (info.hSubMenu) {
            applyLevel(info.hSubMenu, model, level + 1, int(kSubmenuItems.size()));
            continue;
        }
        if ((info.fType & MFT_SEPARATOR) || info.wID == 0) continue;
        const uint16_t command = uint16_t(info.wID);
        std::wstring text = widen(model.text(level, i));
        info = MENUITEMINFOW{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_STRING;
        info.fState = model.isEnabled(command) ? MFS_ENABLED : MFS_GRAYED;
        if (model.isChecked(command)) info.fState |= MFS_CHECKED;
        info.dwTypeData = text.data();
        SetMenuItemInfoW(menu, UINT(i), TRUE, &info);
    }
}

}  // namespace

void applyMenuModel(HMENU popup, const Menu& model) {
    applyLevel(popup, model, 0, int(kMenuItems.size()));
}

}  // namespace corvane
