#pragma once
// The Platform of the Windows desktop program: the window of class "MyCorvaneClass", a WS_POPUP
// window shaped by CreatePolygonRgn from the host's outline, showing the host's window image
// with SetDIBitsToDevice; window messages turned into the host's events; the keyboard state of
// GetKeyboardState; the pop-up menu from resource 101 as the host's menu has it (texts, hidden
// items, checks, greyed items); the accelerators of resource 102; message boxes and the open
// dialog through the wide functions; the high-resolution performance counter as the clock; the
// debugger link as window messages sent to the debugger's window ("/W").
//
// The view (the size 1x-4x, or a full screen) is the host's decision; here the window only takes
// the layout's size and place, a region scaled with it (none on a full screen), and shows the
// window image through the layout. Alt+Enter is the full-screen command and never reaches the
// program as Enter.
//
// Waiting: with nothing to run, the program sleeps in MsgWaitForMultipleObjects until a message
// arrives or the next deadline passes. The pace of the message queue, the key latch and the rows
// uploaded are the desktop's own (host/desktop_platform.h).

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/desktop_platform.h"
#include "host/platform/win32/beep_win32.h"

namespace corvane {

class Menu;

class Win32Platform : public DesktopPlatform {
  public:
    struct Options {
        bool messageBoxes = desktopMessageBoxes();  // else texts go to stderr only
    };

    Win32Platform(HINSTANCE instance, const Options& options);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // The host's menu, whose item states the pop-up shows (set once the App has its window).
    void setMenu(const Menu* menu) { menu_ = menu; }
    HWND window() const { return window_; }

    // --- RunClock ---
    uint64_t nowNs() override;

    // --- Platform ---
    LocalTime localTime() override;
    void setLocalTime(const LocalTime& time) override;
    bool createWindow(const std::string& title, int width, int height,
                      const std::vector<std::pair<int, int>>& outline) override;
    void beginDrag(int x, int y) override;
    Screen screen() override;
    ScreenRect workArea() override;
    ScreenRect windowRect() override;
    void setView(const ViewLayout& layout) override;
    void closeWindow() override;
    void watchSocket(int fd, bool watch) override;
    std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
    void beep() override { beeper_.beep(); }
    bool debugConnect(uint32_t target) override;
    void debugSend(uint32_t message, uint32_t first, uint32_t second, const uint8_t* payload,
                   uint32_t size) override;

  protected:
    // --- DesktopPlatform ---
    // Takes the waiting messages off the queue until one of them gave the host an event.
    void fetchEvents() override;
    void sleepUntil(uint64_t deadlineNs) override;
    void keysDown(std::array<uint8_t, 256>& down) override;
    void uploadRows(const RgbImage& image, int first, int rows, bool whole) override;
    void showMessageBox(const std::string& text) override;

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // The right button: the pop-up menu at screen point (x, y); a chosen item becomes a Command.
    void popupMenu(int x, int y);
    // Rows [first, first + rows) of `image` to the window.
    void blit(HDC dc, const RgbImage& image, int first, int rows);
    // The region of the windowed view at `scale`: the outline itself at 1x, the scaled picture's
    // shape above.
    void shapeWindow(int scale);
    // The monitor the window is on: all of it, or its work area (without the task bar).
    RECT monitorRect(bool work) const;

    HINSTANCE instance_;
    Win32Beeper beeper_;
    HWND window_ = nullptr;
    HACCEL accelerators_ = nullptr;
    const Menu* menu_ = nullptr;
    LARGE_INTEGER counterStart_{};
    LARGE_INTEGER counterFrequency_{};
    std::vector<uint8_t> bgr_;    // rows converted for the device-independent bitmap
    std::vector<POINT> outline_;  // the window's outline at 1x
    ViewLayout layout_ = layoutFor(ViewMode{1}, 0, 0);  // how the window image is shown
    RgbImage scaled_;                                   // the window image through layout_
    bool leftHeld_ = false;  // a left press went to the host and its release has not
    bool timerPeriodSet_ = false;
    HWND debugger_ = nullptr;     // the debugger's window from "/W"
    bool attachPending_ = false;  // the attach notice waits for our window's WM_CREATE
};

}  // namespace corvane
