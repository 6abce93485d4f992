#pragma once
// The pop-up menu as the host's menu has it. The menu resource is made from the same definition
// as the host's menu, item for item, so the host's state of item n is that of the resource's
// item n: its text in the language chosen (the resource holds the default language's; the recent
// files get theirs at run time), whether it is shown at all (an item without text, or a separator
// with nothing shown since the one before, is removed), greyed and checked.

#include <windows.h>

namespace corvane {

class Menu;

// Applies `model` to `popup` (the resource's pop-up, with its sub-menus), removing hidden items.
void applyMenuModel(HMENU popup, const Menu& model);

}  // namespace corvane
