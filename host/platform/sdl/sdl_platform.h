#pragma once
// The Platform of the desktop program: one SDL2 window, borderless and shaped like the handheld,
// showing the host's window image; SDL events turned into the host's events; the keyboard state
// with a latch; message boxes; the file dialogs; the monotonic clock and the local date.
//
// Waiting: with nothing to run, the program sleeps in one ppoll() on the display connection, the
// quit-signal pipe and any watched descriptor (the debugger channel) until the next deadline, so
// an idle window costs next to nothing. The pace of the event queue, the key latch and the rows
// uploaded are the desktop's own (host/desktop_platform.h).

#include <SDL.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "host/desktop_platform.h"
#include "host/platform/sdl/gamepads.h"
#include "host/platform/sdl/local_clock.h"
#include "host/platform/sdl/sdl_beep.h"
#include "shared/debuglink.h"

namespace corvane {

struct FontTables;

class SdlPlatform : public DesktopPlatform {
  public:
    struct Options {
        bool messageBoxes = desktopMessageBoxes();  // else texts go to stderr only
    };

    explicit SdlPlatform(const Options& options);
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    // The handheld's fonts, for the chooser and the message boxes drawn in the window.
    void setFonts(const FontTables* fonts) { fonts_ = fonts; }
    void useFonts(const FontTables* fonts) override { fonts_ = fonts; }

    // Extra descriptors the waits also wake for (the debugger channel): `ready` runs, between two
    // instructions, whenever `fd` is readable (or closed). At most one callback per descriptor.
    void watchDescriptor(int fd, std::function<void()> ready);
    void unwatchDescriptor(int fd);

    // F12 while the in-window chooser is up: the window as it looks, chooser included, goes to
    // `save` (the host's screenshots). Otherwise F12 goes to the host as any key does.
    void setScreenshotSaver(std::function<void(const RgbImage&)> save) {
        saveScreenshot_ = std::move(save);
    }

    SDL_Window* window() const { return window_; }

    // --- RunClock ---
    uint64_t nowNs() override { return clock_.nowNs(); }

    // --- Platform ---
    void waitUntil(uint64_t deadlineNs) override;
    LocalTime localTime() override { return clock_.localTime(); }
    void setLocalTime(const LocalTime& time) override { clock_.setLocalTime(time); }
    uint32_t gamepadButtons() override { return gamepads_.buttons(); }
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
    void fetchEvents() override;
    void sleepUntil(uint64_t deadlineNs) override { sleepOrDescriptor(deadlineNs); }
    void keysDown(std::array<uint8_t, 256>& down) override;
    void uploadRows(const RgbImage& image, int first, int rows, bool whole) override;
    void showMessageBox(const std::string& text) override;

  private:
    // The window's close button or the session's quit: carried out as Exit.
    static bool isQuit(const SDL_Event& e);
    // Turns one SDL event into host events, queued in pending_ (some give none).
    void translate(const SDL_Event& e);
    // Sleeps until an SDL event, a signal, a watched descriptor or `deadlineNs`; one extra
    // descriptor (a dialog's output) may be given. Returns early when anything arrived.
    void sleepOrDescriptor(uint64_t deadlineNs, int extraFd = -1);
    // Descriptors readable now get their callbacks; a signal queues Quit.
    void serviceDescriptors(int timeoutMs);
    void checkSignal();
    // While dragging: the window keeps the offset the press had from the pointer.
    void followPointer();
    // Shapes the window by the outline at `scale`, or makes it a plain rectangle (0).
    void shapeWindow(int scale);
    // Modal loops of the two kinds of file dialog (sdl_dialogs.cpp). Window events keep being
    // handled: the window is kept painted; input for the window is dropped; a quit ends it.
    std::optional<std::string> runExternalDialog(const OpenFileRequest& request);
    std::optional<std::string> runWindowChooser(const OpenFileRequest& request);
    // The message box drawn in the window, over the middle of the part the screen shows, until
    // Enter, Space, Esc or its OK button closes it (sdl_dialogs.cpp). False when there is no
    // window shown to draw it in, or no fonts.
    bool runWindowBox(const std::string& text);
    // Handles an event while a dialog is up: true when the dialog must end (quit).
    bool modalEvent(const SDL_Event& e);

    LocalClock clock_;
    const FontTables* fonts_ = nullptr;
    std::function<void(const RgbImage&)> saveScreenshot_;
    SDL_Window* window_ = nullptr;
    int displayFd_ = -1;
    ViewLayout layout_ = layoutFor(ViewMode{1}, 0, 0);  // how the window image is shown
    RgbImage scaled_;                                   // the window image through layout_
    bool shaped_ = false;                               // made as a shaped window
    Gamepads gamepads_;
    SdlBeeper beeper_;
    std::map<int, std::function<void()>> watched_;
    DebugChannel debug_{{kDebugMsgResume}};  // the debugger named by "/W"; resumes come as events
    bool leftHeld_ = false;  // a left press went to the host and its release has not
    bool dragging_ = false;
    int dragMouseX_ = 0, dragMouseY_ = 0, dragWindowX_ = 0, dragWindowY_ = 0;
};

}  // namespace corvane
