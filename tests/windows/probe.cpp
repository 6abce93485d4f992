// A small Windows program the smoke test of corvane.exe runs beside it, to look at the window
// from the Windows side:
//   probe window   prints "x y width height corner-outside inside" of the window of class
//                  "MyCorvaneClass" titled "Corvane" (exit 1 when there is none): corner-outside
//                  is 1 when the window's region leaves out its top-left pixel, inside is 1 when
//                  it holds the middle of the window
//   probe menu     exit 0 when a pop-up menu is showing, 1 otherwise
//   probe menu-texts
//                  prints the open pop-up menu's items, one line each ("depth<TAB>text", "-" for
//                  a separator), read inside corvane.exe by menu_texts_hook.dll beside the probe
//   probe close    asks the window to close, as its close box would (exit 1 when there is none)
//   probe command N
//                  gives the window menu command N, as choosing the item does (exit 1 when
//                  there is no window)
//   probe move X Y moves the window's top-left corner to (X, Y)
//   probe box      prints "x y width height" of the message box titled "Tivex" (exit 1 when
//                  none is up)
//   probe box-ok   presses the box's OK button (exit 1 when none is up)
//   probe start LINE
//                  runs the command line LINE exactly as written (its quotes and blanks are the
//                  program's to read) with our standard handles, and ends with its exit status
//   probe listen LOG
//                  a debugger window that writes "window <handle>" into LOG, then one line per
//                  message from the simulator ("attach", "stop <line>", "exit"), resuming every
//                  stop with -2; it ends after the exit notice. The file root is not what tells
//                  the test that a program runs: the link is.
//   probe listen LOG CONFIG
//                  the same, and the exit line says what stood when the notice came:
//                  "exit window-gone" when the simulator's window no longer exists, and
//                  " config-written" when the file CONFIG exists (the simulator's vorn.ini)
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND corvaneWindow() {
    return FindWindowW(L"MyCorvaneClass", L"Corvane");
}

int window() {
    HWND hwnd = corvaneWindow();
    if (!hwnd) return 1;
    RECT r{};
    GetWindowRect(hwnd, &r);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(hwnd, region);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const bool cornerOut = kind != ERROR && kind != NULLREGION && !PtInRegion(region, 0, 0);
    const bool middleIn = kind != ERROR && PtInRegion(region, width / 2, height / 2);
    DeleteObject(region);
    std::printf("%ld %ld %d %d %d %d\n", r.left, r.top, width, height, cornerOut ? 1 : 0,
                middleIn ? 1 : 0);
    return 0;
}

// The system's pop-up menus are windows of the class "#32768".
int menu() {
    HWND popup = FindWindowW(L"#32768", nullptr);
    return popup && IsWindowVisible(popup) ? 0 : 1;
}

// Menus belong to the process that made them: the hook library, loaded into corvane.exe's window
// thread, reads the open menu and writes it beside itself; the probe prints what it wrote.
int menuTexts() {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return 1;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
    const std::wstring output = folder + L"menu-texts.txt";
    DeleteFileW(output.c_str());
    HMODULE hook = LoadLibraryW((folder + L"menu_texts_hook.dll").c_str());
    const auto proc = hook ? reinterpret_cast<HOOKPROC>(
                                 reinterpret_cast<void*>(GetProcAddress(hook, "menuTextsHook")))
                           : nullptr;
    if (!proc) {
        std::fprintf(stderr, "probe: menu_texts_hook.dll not loaded (%lu)\n", GetLastError());
        return 2;
    }
    HHOOK handle =
        SetWindowsHookExW(WH_CALLWNDPROC, proc, hook, GetWindowThreadProcessId(popup, nullptr));
    if (!handle) {
        std::fprintf(stderr, "probe: no hook on the menu's thread (%lu)\n", GetLastError());
        return 2;
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(popup, WM_NULL, 0xC0DE, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    UnhookWindowsHookEx(handle);
    std::FILE* in = _wfopen(output.c_str(), L"rb");
    if (!in) {
        std::fprintf(stderr, "probe: the hook wrote no menu-texts.txt\n");
        return 2;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        std::fwrite(buffer, 1, got, stdout);
    std::fclose(in);
    return 0;
}

std::FILE* gLog = nullptr;
const char* gConfig = nullptr;  // the file to look for at the exit notice

void logLine(const char* text, unsigned long value, bool withValue) {
    if (withValue)
        std::fprintf(gLog, "%s %lu\n", text, value);
    else
        std::fprintf(gLog, "%s\n", text);
    std::fflush(gLog);
}

LRESULT CALLBACK listenerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static HWND simulator = nullptr;
    switch (message) {
        case 0xB000:
            simulator = reinterpret_cast<HWND>(wParam);
            logLine("attach", 0, false);
            return 0;
        case WM_COPYDATA:
            return TRUE;
        case 0xB003:
            logLine("stop", static_cast<unsigned long>(wParam), true);
            PostMessageW(hwnd, WM_APP, 0, 0);
            return 0;
        case WM_APP:
            SendMessageW(simulator, 0xB001, WPARAM(uint32_t(-2)), 0);
            return 0;
        case 0xB002: {
            // The simulator waits in its send while we look: what stands now stood before it.
            std::string line = "exit";
            if (gConfig) {
                if (!IsWindow(simulator)) line += " window-gone";
                if (GetFileAttributesA(gConfig) != INVALID_FILE_ATTRIBUTES)
                    line += " config-written";
            }
            logLine(line.c_str(), 0, false);
            PostQuitMessage(0);
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int listen(const char* logFile, const char* configFile) {
    gConfig = configFile;
    gLog = std::fopen(logFile, "wb");  // no CR: the test reads it with grep
    if (!gLog) return 2;
    WNDCLASSW cls{};
    cls.lpfnWndProc = listenerProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"CorvaneProbeListener";
    RegisterClassW(&cls);
    HWND hwnd = CreateWindowExW(0, cls.lpszClassName, L"probe", WS_POPUP, 0, 0, 1, 1, nullptr,
                                nullptr, cls.hInstance, nullptr);
    if (!hwnd) return 2;
    logLine("window", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)), true);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    std::fclose(gLog);
    return 0;
}

HWND messageBox() {
    HWND box = FindWindowW(L"#32770", L"Tivex");
    return box && IsWindowVisible(box) ? box : nullptr;
}

int box() {
    HWND hwnd = messageBox();
    if (!hwnd) return 1;
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

int start(const char* line) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, line, -1, nullptr, 0);
    if (size <= 0) return 2;
    std::wstring text(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line, -1, text.data(), size);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, text.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
        return 2;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 2;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(code);
}

}  // namespace

int main(int argc, char** argv) {
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "listen") == 0)
        return listen(argv[2], argc == 4 ? argv[3] : nullptr);
    if (argc == 2 && std::strcmp(argv[1], "window") == 0) return window();
    if (argc == 2 && std::strcmp(argv[1], "menu") == 0) return menu();
    if (argc == 2 && std::strcmp(argv[1], "menu-texts") == 0) return menuTexts();
    if (argc == 2 && std::strcmp(argv[1], "close") == 0)
        return corvaneWindow() && PostMessageW(corvaneWindow(), WM_CLOSE, 0, 0) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "start") == 0) return start(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "box") == 0) return box();
    if (argc == 2 && std::strcmp(argv[1], "box-ok") == 0)
        return messageBox() && PostMessageW(messageBox(), WM_COMMAND, IDOK, 0) ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "move") == 0)
        return corvaneWindow() && SetWindowPos(corvaneWindow(), nullptr, std::atoi(argv[2]),
                                               std::atoi(argv[3]), 0, 0,
                                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    if (argc == 3 && std::strcmp(argv[1], "command") == 0)
        return corvaneWindow() && PostMessageW(corvaneWindow(), WM_COMMAND,
                                               WPARAM(std::strtoul(argv[2], nullptr, 10)), 0)
                   ? 0
                   : 1;
    std::fprintf(stderr,
                 "usage: probe window|menu|menu-texts|close|command N|move X Y|box|box-ok|start "
                 "LINE|listen LOG [CONFIG]\n");
    return 2;
}
