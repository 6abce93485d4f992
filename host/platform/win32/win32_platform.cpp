// Before windows.h (through our header): the sockets' own declarations, not winsock.h's.
#include <winsock2.h>

#include "host/platform/win32/win32_platform.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "host/menu.h"
#include "host/platform/win32/popup_menu.h"
#include "host/platform/win32/resources.h"
#include "host/skin.h"
#include "host/texts.h"
#include "host/virtual_date.h"
#include "shared/debuglink.h"
#include "shared/wide_text.h"

namespace corvane {

namespace {

constexpr wchar_t kWindowClass[] = L"MyCorvaneClass";
// What a watched socket posts when it has something to read (only to wake the wait).
constexpr UINT kSocketReadyMessage = WM_APP + 1;

// A message box is placed over the middle of our window (the system would centre it on the
// screen): a hook sees the box activated before it is shown, and moves it there once.
HWND gBoxOwner = nullptr;
HHOOK gBoxHook = nullptr;

LRESULT CALLBACK centreBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && gBoxHook) {
        const HWND box = HWND(wParam);
        RECT owner{}, rect{};
        if (gBoxOwner && GetWindowRect(gBoxOwner, &owner) && GetWindowRect(box, &rect)) {
            const int w = int(rect.right - rect.left), h = int(rect.bottom - rect.top);
            int x = int(owner.left + owner.right) / 2 - w / 2;
            int y = int(owner.top + owner.bottom) / 2 - h / 2;
            // Kept on the monitor, whatever part of the window is off it.
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(MonitorFromWindow(gBoxOwner, MONITOR_DEFAULTTONEAREST), &info)) {
                const RECT& area = info.rcWork;
                x = std::max(int(area.left), std::min(x, int(area.right) - w));
                y = std::max(int(area.top), std::min(y, int(area.bottom) - h));
            }
            SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        UnhookWindowsHookEx(gBoxHook);
        gBoxHook = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance, const Options& options)
    : DesktopPlatform(options.messageBoxes), instance_(instance) {
    QueryPerformanceFrequency(&counterFrequency_);
    QueryPerformanceCounter(&counterStart_);
    // Sleeps end on time to the millisecond rather than the default tick of about 16 ms.
    timerPeriodSet_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    accelerators_ = LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(kAcceleratorResource));
}

Win32Platform::~Win32Platform() {
    if (window_) DestroyWindow(window_);
    if (timerPeriodSet_) timeEndPeriod(1);
}

uint64_t Win32Platform::nowNs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const unsigned __int128 ticks = uint64_t(now.QuadPart - counterStart_.QuadPart);
    return uint64_t(ticks * 1'000'000'000u / uint64_t(counterFrequency_.QuadPart));
}

void Win32Platform::sleepUntil(uint64_t deadlineNs) {
    const uint64_t now = nowNs();
    if (deadlineNs <= now) return;
    // Rounded up: waking before the deadline would only make us wait again.
    const uint64_t ms =
        std::min<uint64_t>((deadlineNs - now + 999'999) / 1'000'000, uint64_t(INFINITE - 1));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(ms), QS_ALLINPUT);
}

LocalTime Win32Platform::localTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LocalTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    t.dayOfWeek = now.wDayOfWeek;
    t.millisecond = now.wMilliseconds;
    return t;
}

void Win32Platform::setLocalTime(const LocalTime& time) {
    if (!validLocalTime(time)) return;  // the host clock would refuse it too
    SYSTEMTIME t{};
    t.wYear = WORD(time.year);
    t.wMonth = WORD(time.month);
    t.wDay = WORD(time.day);
    t.wHour = WORD(time.hour);
    t.wMinute = WORD(time.minute);
    t.wSecond = WORD(time.second);
    t.wMilliseconds = WORD(time.millisecond);
    SetLocalTime(&t);  // refused without the right to set the clock: ignored
}

void Win32Platform::fetchEvents() {
    MSG msg;
    while (pending_.empty() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            push(PlatformEvent::Type::Quit);
            break;
        }
        if (accelerators_ && window_ && TranslateAcceleratorW(window_, accelerators_, &msg))
            continue;
        DispatchMessageW(&msg);
    }
}

void Win32Platform::keysDown(std::array<uint8_t, 256>& down) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    for (size_t vk = 0; vk < down.size(); ++vk) down[vk] = state[vk] & 0x80;
}

LRESULT CALLBACK Win32Platform::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Platform*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(self));
        self->window_ = hwnd;
    }
    auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT Win32Platform::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    using T = PlatformEvent::Type;
    switch (message) {
        case WM_CREATE:
            // The debugger learns our window while it is being made.
            if (attachPending_) {
                attachPending_ = false;
                SendMessageW(debugger_, kDebugMsgAttach, WPARAM(window_), 0);
            }
            return 0;
        case kDebugMsgResume: {
            // From any sender, also while one of our own sends waits for the debugger.
            PlatformEvent e;
            e.type = T::DebugResume;
            e.value = int32_t(uint32_t(wParam));
            push(e);
            return 0;
        }
        case WM_CLOSE:
            // Carried out as the Exit command; the window goes when the host is done.
            push(T::Quit);
            return 0;
        case WM_DESTROY:
            // Ends the message loop: closeWindow() runs it until this WM_QUIT.
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window_, &paint);
            if (shown()) {
                if (scaled_.width != layout_.outputWidth || scaled_.height != layout_.outputHeight)
                    render(*shown(), layout_, scaled_);
                blit(dc, scaled_, 0, scaled_.height);
            }
            EndPaint(window_, &paint);
            push(T::Expose);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the image covers the whole window
        case WM_LBUTTONDOWN:
            // Captured while held: the release comes to us wherever the pointer is, so a face
            // key never stays down after the button came up outside the window.
            SetCapture(window_);
            leftHeld_ = true;
            push(T::LeftDown, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == window_) ReleaseCapture();
            if (leftHeld_) push(T::LeftUp, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            leftHeld_ = false;
            return 0;
        case WM_CAPTURECHANGED:
            // Capture taken away while held (another window, a system move): the press ends.
            if (leftHeld_) {
                POINT p;
                GetCursorPos(&p);
                ScreenToClient(window_, &p);
                push(T::LeftUp, p.x, p.y);
                leftHeld_ = false;
            }
            return 0;
        case WM_MOUSEMOVE:
            push(T::PointerMove, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_RBUTTONDOWN: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(window_, &p);
            popupMenu(p.x, p.y);
            return 0;
        }
        case WM_COMMAND:
            // Menu items and accelerators alike.
            if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1) push(T::Command, 0, 0, LOWORD(wParam));
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            const uint32_t vk = uint32_t(wParam) & 0xFF;
            if (message == WM_SYSKEYDOWN && vk == VK_F4) break;  // Alt+F4: WM_CLOSE
            if (message == WM_SYSKEYDOWN && vk == VK_RETURN && (lParam & (1 << 29))) {
                // Alt+Enter, a shortcut of the window: the program never sees its Enter, which
                // stays out of the keyboard state until it is released.
                latch_.suppress(uint8_t(vk));
                if (!(lParam & (1 << 30))) push(T::Command, 0, 0, kCmdFullscreen);
                return 0;
            }
            if (lParam & (1 << 30)) return 0;  // auto-repeat
            keyDown(uint8_t(vk));
            return 0;
        }
        case WM_SYSCHAR:
            if (wParam == L'\r') return 0;  // Alt+Enter: no beep for a menu that is not there
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            keyUp(uint8_t(wParam & 0xFF));
            if (message == WM_SYSKEYUP) break;
            return 0;
        case WM_DROPFILES: {
            HDROP drop = HDROP(wParam);
            const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
            std::wstring name(length + 1, L'\0');
            DragQueryFileW(drop, 0, name.data(), length + 1);
            name.resize(length);
            DragFinish(drop);
            PlatformEvent e;
            e.type = T::DropFile;
            e.path = narrow(name);
            if (!e.path.empty()) push(e);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Win32Platform::popupMenu(int x, int y) {
    HMENU bar = LoadMenuW(instance_, MAKEINTRESOURCEW(kMenuResource));
    if (!bar) return;
    HMENU popup = GetSubMenu(bar, 0);
    if (menu_) applyMenuModel(popup, *menu_);
    const UINT chosen = UINT(TrackPopupMenuEx(
        popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y,
        window_, nullptr));
    DestroyMenu(bar);
    if (chosen != 0) push(PlatformEvent::Type::Command, 0, 0, chosen);
}

bool Win32Platform::createWindow(const std::string& title, int width, int height,
                                 const std::vector<std::pair<int, int>>& outline) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = windowProc;
    cls.hInstance = instance_;
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    cls.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&cls)) {
        messageBox(hostText(TextId::MessageNoWindow));
        return false;
    }
    // Centred in the work area (the screen without the task bar).
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    HWND hwnd = CreateWindowExW(0, kWindowClass, widen(title).c_str(), WS_POPUP, x, y, width,
                                height, nullptr, nullptr, instance_, this);
    if (!hwnd) {
        messageBox(hostText(TextId::MessageNoWindow));
        return false;
    }
    window_ = hwnd;
    outline_.clear();
    for (const auto& [px, py] : outline) outline_.push_back(POINT{px, py});
    shapeWindow(1);
    DragAcceptFiles(window_, TRUE);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    return true;
}

void Win32Platform::shapeWindow(int scale) {
    HRGN region = nullptr;
    if (scale <= 1) {
        // The outline is filled by the alternate (even-odd) rule, as the host's own test is.
        region = CreatePolygonRgn(outline_.data(), int(outline_.size()), ALTERNATE);
    } else {
        // Each row of the 1x shape as runs, every run a scale x scale block high: the region
        // follows the scaled picture pixel for pixel.
        const std::vector<uint8_t> shape = windowShape(1);
        std::vector<RECT> runs;
        for (int y = 0; y < kWindowHeight; ++y) {
            const uint8_t* row = &shape[size_t(y) * size_t(kWindowWidth)];
            for (int x = 0; x < kWindowWidth;) {
                if (!row[x]) {
                    ++x;
                    continue;
                }
                const int from = x;
                while (x < kWindowWidth && row[x]) ++x;
                runs.push_back(RECT{from * scale, y * scale, x * scale, (y + 1) * scale});
            }
        }
        std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
        auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
        header->dwSize = sizeof(RGNDATAHEADER);
        header->iType = RDH_RECTANGLES;
        header->nCount = DWORD(runs.size());
        header->nRgnSize = DWORD(runs.size() * sizeof(RECT));
        header->rcBound = RECT{0, 0, kWindowWidth * scale, kWindowHeight * scale};
        std::memcpy(data.data() + sizeof(RGNDATAHEADER), runs.data(), runs.size() * sizeof(RECT));
        region = ExtCreateRegion(nullptr, DWORD(data.size()),
                                 reinterpret_cast<const RGNDATA*>(data.data()));
    }
    // The window owns the region from here on; a failure leaves the window rectangular.
    if (region && !SetWindowRgn(window_, region, TRUE)) DeleteObject(region);
}

RECT Win32Platform::monitorRect(bool work) const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoW(monitor, &info)) return work ? info.rcWork : info.rcMonitor;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Platform::Screen Win32Platform::screen() {
    const RECT r = monitorRect(false);
    Screen s;
    s.width = int(r.right - r.left);
    s.height = int(r.bottom - r.top);
    if (HDC dc = GetDC(nullptr)) {
        s.dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
    }
    return s;
}

ScreenRect Win32Platform::workArea() {
    const RECT r = monitorRect(true);
    return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

ScreenRect Win32Platform::windowRect() {
    RECT r{};
    if (!window_ || !GetWindowRect(window_, &r)) return {};
    return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

void Win32Platform::setView(const ViewLayout& layout) {
    const ViewLayout old = layout_;
    layout_ = layout;
    scaled_ = RgbImage();
    if (!window_) return;
    if (layout.fullscreen) {
        // A borderless window over the whole monitor, without a region.
        const RECT m = monitorRect(false);
        SetWindowRgn(window_, nullptr, FALSE);
        SetWindowPos(window_, HWND_TOP, m.left, m.top, layout.outputWidth, layout.outputHeight,
                     SWP_NOACTIVATE);
    } else if (old.fullscreen || old.outputWidth != layout.outputWidth ||
               old.outputHeight != layout.outputHeight) {
        // A new size keeps the window's centre where it was, as far as the work area lets it;
        // back from a full screen it is centred in the work area again. A window made at the
        // size asked keeps its place.
        const ScreenRect work = workArea();
        const ScreenRect to =
            old.fullscreen
                ? centreWindow(layout.outputWidth, layout.outputHeight, work)
                : placeWindow(windowRect(), layout.outputWidth, layout.outputHeight, work);
        SetWindowPos(window_, nullptr, to.left, to.top, to.width, to.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        shapeWindow(layout.scale);
    }
    InvalidateRect(window_, nullptr, FALSE);
    repaint();  // everything again, through the new layout
}

void Win32Platform::blit(HDC dc, const RgbImage& image, int first, int rows) {
    if (rows <= 0 || image.width <= 0) return;
    // A top-down 24-bit DIB: rows of BGR, each padded to a multiple of four bytes.
    const size_t stride = (size_t(image.width) * 3 + 3) & ~size_t(3);
    bgr_.resize(stride * size_t(rows));
    for (int r = 0; r < rows; ++r) {
        const uint8_t* src = image.at(0, first + r);
        uint8_t* dst = bgr_.data() + stride * size_t(r);
        for (int x = 0; x < image.width; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -rows;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, first, DWORD(image.width), DWORD(rows), 0, 0, 0, UINT(rows),
                      bgr_.data(), &info, DIB_RGB_COLORS);
}

void Win32Platform::uploadRows(const RgbImage& image, int first, int rows, bool whole) {
    if (!window_) return;
    if (whole) scaled_ = RgbImage();  // black, then the picture
    renderRows(image, layout_, scaled_, first, rows);
    auto [outFirst, outRows] = outputRows(layout_, first, rows);
    if (first == 0 && rows >= image.height) {
        outFirst = 0;  // a whole upload includes the black border of a full screen
        outRows = scaled_.height;
    }
    HDC dc = GetDC(window_);
    blit(dc, scaled_, outFirst, outRows);
    ReleaseDC(window_, dc);
}

void Win32Platform::beginDrag(int, int) {
    // The system's own move loop, as a press on a caption would start it. The loop takes the
    // capture: the press ends there (WM_CAPTURECHANGED gives the host its release).
    if (!window_ || !leftHeld_) return;
    ReleaseCapture();
    SendMessageW(window_, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void Win32Platform::showMessageBox(const std::string& text) {
    if (window_ && IsWindowVisible(window_)) {
        gBoxOwner = window_;
        gBoxHook = SetWindowsHookExW(WH_CBT, centreBox, nullptr, GetCurrentThreadId());
    }
    MessageBoxW(window_, widen(text).c_str(), L"Tivex", MB_OK | MB_ICONEXCLAMATION);
    if (gBoxHook) UnhookWindowsHookEx(gBoxHook);
    gBoxHook = nullptr;
    // Presses meant for the box are not the window's: a key pressed again while the box was up
    // must not bring the same box back.
    MSG msg;
    if (window_) {
        for (UINT kind : {UINT(WM_KEYDOWN), UINT(WM_SYSKEYDOWN), UINT(WM_CHAR),
                          UINT(WM_LBUTTONDOWN), UINT(WM_RBUTTONDOWN)})
            while (PeekMessageW(&msg, window_, kind, kind, PM_REMOVE)) {
            }
    }
}

std::optional<std::string> Win32Platform::openFileDialog(const OpenFileRequest& request) {
    // The filter: pairs of name and pattern, each ended by a NUL, the list by a second one.
    std::wstring filter;
    for (const FileFilter& f : request.filters) {
        filter += widen(f.name) + L'\0';
        filter += widen(f.pattern) + L'\0';
    }
    filter += L'\0';
    std::wstring file(32768, L'\0');
    const std::wstring initial = widen(request.initialName);
    std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());
    const std::wstring title = widen(request.title);
    std::wstring dir = widen(request.initialDir);
    std::replace(dir.begin(), dir.end(), L'/', L'\\');
    const std::wstring extension = widen(request.defaultExtension);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const bool chosen = GetOpenFileNameW(&ofn) != 0;
    // The press that the dialog interrupted has ended by now.
    if (leftHeld_) {
        leftHeld_ = false;
        push(PlatformEvent::Type::LeftUp, -1, -1);
    }
    if (!chosen) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return narrow(file);
}

void Win32Platform::watchSocket(int fd, bool watch) {
    // The socket posts a message to our window when it has something to read, which ends the
    // wait in MsgWaitForMultipleObjects; the message itself needs no handling.
    if (window_)
        WSAAsyncSelect(SOCKET(fd), window_, kSocketReadyMessage,
                       watch ? FD_ACCEPT | FD_READ | FD_CLOSE : 0);
}

void Win32Platform::closeWindow() {
    if (!window_) return;
    DestroyWindow(window_);
    // The message loop's end: what is still queued is dispatched (to nobody, mostly) until the
    // WM_QUIT of WM_DESTROY. Our own posts only: a message for another thread never comes here.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

bool Win32Platform::debugConnect(uint32_t target) {
    // "/W" is the debugger's window handle in decimal. Messages go to it whatever it is: one
    // that names no window reaches nobody, as a send to it would.
    debugger_ = reinterpret_cast<HWND>(uintptr_t(target));
    return true;
}

void Win32Platform::debugSend(uint32_t message, uint32_t first, uint32_t second,
                              const uint8_t* payload, uint32_t size) {
    if (!debugger_) return;
    // Every send is synchronous: messages sent to us meanwhile (a resume request) go through
    // our window procedure before SendMessage returns. Results are of no interest.
    switch (message) {
        case kDebugMsgAttach:
            // Carries our window handle, so it waits for the window to be created.
            if (!window_) {
                attachPending_ = true;
                return;
            }
            SendMessageW(debugger_, kDebugMsgAttach, WPARAM(window_), 0);
            return;
        case kDebugMsgSnapshot: {
            COPYDATASTRUCT data{};
            data.dwData = ULONG_PTR(second);
            data.cbData = size;
            data.lpData = const_cast<uint8_t*>(payload);
            SendMessageW(debugger_, WM_COPYDATA, WPARAM(window_), LPARAM(&data));
            return;
        }
        default:
            SendMessageW(debugger_, message, WPARAM(first), LPARAM(second));
            return;
    }
}

}  // namespace corvane
