// A hook the probe places on corvane.exe's window thread to read the pop-up menu as the player
// sees it. Menus belong to the process that made them, so only code running inside corvane.exe
// can read their items: Windows (and Wine) load this library into the thread the hook is set on.
// When the probe sends the open menu window WM_NULL with kDumpMark, the hook writes every item of
// the menu and its sub-menus, one line each ("depth<TAB>text", "depth<TAB>-" for a separator),
// in UTF-8 to "menu-texts.txt" beside this library.
#include <windows.h>

#include <cstdio>
#include <string>

#include "shared/wide_text.h"

namespace {

constexpr WPARAM kDumpMark = 0xC0DE;
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

HMODULE gSelf = nullptr;

void dump(std::FILE* out, HMENU menu, int depth) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        wchar_t text[256] = {};
        info.dwTypeData = text;
        info.cch = 255;
        if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &info)) continue;
        if (info.fType & MFT_SEPARATOR)
            std::fprintf(out, "%d\t-\n", depth);
        else
            std::fprintf(out, "%d\t%s\n", depth, corvane::narrow(text).c_str());
        if (info.hSubMenu) dump(out, info.hSubMenu, depth + 1);
    }
}

void dumpOpenMenu(HWND popup) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(gSelf, path, MAX_PATH);
    std::wstring file(path, length);
    file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"menu-texts.txt";
    std::FILE* out = _wfopen(file.c_str(), L"wb");
    if (!out) return;
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, kGetMenuHandle, 0, 0));
    if (menu) dump(out, menu, 0);
    std::fclose(out);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    menuTextsHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message && message->message == WM_NULL && message->wParam == kDumpMark)
        dumpOpenMenu(message->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) gSelf = instance;
    return TRUE;
}
