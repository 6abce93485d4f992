#pragma once
// The thin layer between the platform-neutral host and a concrete front end (a desktop window, or
// the headless runner with virtual time and scripted input). Everything the host needs from the
// outside world goes through here: events, the keyboard state, the window image and its shape,
// message boxes, the open-file dialog, the debugger channel, the clock and the local time.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/image_io.h"
#include "host/screen_fit.h"
#include "host/view.h"
#include "vm/host.h"

namespace corvane {

struct FontTables;

// The clock the run loop is driven by. A real clock ignores `executed` and hands out batches of a
// fixed size; a virtual clock advances by each instruction and sizes batches to its deadlines.
class RunClock {
  public:
    virtual ~RunClock() = default;

    // Monotonic nanoseconds: the cycle counter of the machine.
    virtual uint64_t nowNs() = 0;

    // How many instructions to run before looking at the clock and the event queue again, given
    // the next moment something is due (a frame). Never 0.
    virtual uint64_t batchBudget(uint64_t deadlineNs) = 0;

    // `count` instructions were executed since the last call.
    virtual void executed(uint64_t count) = 0;
};

// One input event, in the host's terms: window coordinates, Windows virtual-key codes and menu
// command identifiers, whatever the platform delivers natively.
struct PlatformEvent {
    enum class Type : uint8_t {
        Quit,         // the window is being destroyed: carried out as the Exit command
        Command,      // a menu command (`code` = command identifier), e.g. from a script
        LeftDown,     // left button pressed at (x, y)
        LeftUp,       // left button released at (x, y), possibly outside the window
        RightDown,    // right button pressed at (x, y): opens the pop-up menu
        PointerMove,  // pointer moved to (x, y)
        KeyDown,      // host key `code` went down (the keyboard state already shows it)
        KeyUp,        // host key `code` went up
        DebugResume,  // the debugger's resume request, `value` = the new stop value
        Expose,       // the window must be painted again
        DropFile,     // a file was dropped on the window (`path`): opened like a dialog's choice
        PadDown,      // gamepad button `code` (a PadButton) went down on any gamepad
        PadUp,        // gamepad button `code` went up
        PadPlugged,   // a gamepad was connected (`value` 1) or removed (0); `path` is its name
    };
    Type type = Type::Expose;
    int x = 0;
    int y = 0;
    uint32_t code = 0;
    int32_t value = 0;
    std::string path = {};  // DropFile only
};

struct FileFilter {
    std::string name;     // UTF-8, e.g. "所有文件 (*.*)"
    std::string pattern;  // e.g. "*.vrn"
};

struct OpenFileRequest {
    std::string title;        // UTF-8
    std::string initialDir;   // host path the dialog starts in
    std::string initialName;  // file name offered at first (may be a full path)
    std::vector<FileFilter> filters;
    std::string defaultExtension;  // appended to a typed name without one; empty: none
};

class Platform : public RunClock {
  public:
    // --- time ---
    // Sleeps until `deadlineNs` or until an event arrives, whichever comes first. A virtual clock
    // moves straight to the deadline.
    virtual void waitUntil(uint64_t deadlineNs) = 0;
    // The platform's own date: the host's clock on a desktop, the runner's scripted date. The
    // App's virtual date starts from it; only with "Clock"/"SetHostClock" do the time calls use
    // it directly, and SetTime sets it (a platform that may not touch the host's clock keeps a
    // date of its own instead).
    virtual LocalTime localTime() = 0;
    virtual void setLocalTime(const LocalTime& time) = 0;

    // The machine's local date in nanoseconds since 1970-01-01 00:00 local time, when the
    // platform keeps a date of its own (a virtual date): save states carry it and put it back.
    // A platform on the host's clock returns nothing and keeps its date on a restore.
    virtual std::optional<int64_t> virtualDateNs() { return std::nullopt; }
    virtual void restoreVirtualDate(int64_t /*dateNs*/) {}

    // --- input ---
    virtual bool pollEvent(PlatformEvent& event) = 0;
    // Host key states, one entry per virtual-key code, bit 7 = down.
    virtual const std::array<uint8_t, 256>& keyboardState() = 0;
    // Gamepad buttons held on any connected gamepad (bit n = PadButton n of host/input_map.h),
    // including buttons pressed and released since the last call. 0 without gamepads.
    virtual uint32_t gamepadButtons() { return 0; }

    // --- window ---
    // Creates and shows the window (435 x 585, no frame, centred), shaped by `outline`.
    virtual bool createWindow(const std::string& title, int width, int height,
                              const std::vector<std::pair<int, int>>& outline) = 0;
    // Shows the window image as it is now.
    virtual void presentWindow(const RgbImage& image) = 0;
    // False when nothing shows the window (the runner): presentWindow is then not called, so the
    // window's pixels are only made when something asks for them (a capture, a screenshot).
    virtual bool showsWindow() const { return true; }
    // Left press on the body at (x, y): the window follows the pointer until the button is up.
    virtual void beginDrag(int x, int y) = 0;
    // The screen the window is on: its size in pixels and its density (0 when not known).
    struct Screen {
        int width = 0;
        int height = 0;
        double dpi = 0;
    };
    virtual Screen screen() { return {}; }
    // The screen's work area (without its panels and task bars) and where the window is, both
    // in the screen's pixels; empty when not known, and then every size is offered.
    virtual ScreenRect workArea() { return {}; }
    virtual ScreenRect windowRect() { return {}; }
    // From now on the window image is shown through `layout`: the window takes the layout's size
    // and the scaled outline, or fills the screen. Pointer positions stay the screen's pixels.
    virtual void setView(const ViewLayout& /*layout*/) {}
    // The app is ending: the window is destroyed and its message loop runs to its end, so that
    // whoever hears of the end afterwards (a debugger on the link) finds no window of ours.
    virtual void closeWindow() {}

    // --- debug server ---
    // From now on (`watch`) or no more, a wait also ends when the socket `fd` (the debug
    // server's listener or a client's connection) has something to read.
    virtual void watchSocket(int /*fd*/, bool /*watch*/) {}

    // --- dialogs ---
    // The handheld's fonts, for whatever the platform draws in the window itself (its message
    // boxes, its file chooser), given before the window is made.
    virtual void useFonts(const FontTables* /*fonts*/) {}
    // A message box with the caption "Tivex", an exclamation icon and an OK button (UTF-8 text).
    virtual void messageBox(const std::string& text) = 0;
    // The open-file dialog; the full host path of the chosen file, or nothing when cancelled.
    virtual std::optional<std::string> openFileDialog(const OpenFileRequest& request) = 0;
    // A file the user asked for (a screenshot, a recording, a save state) has been written to
    // `file`. Nothing to do where the user reaches the root's files; a web page, whose files
    // live in the browser's storage, hands the file over as a download.
    virtual void fileSaved(const std::string& /*file*/) {}

    // --- sound ---
    // A short beep through the system's audio, without waiting for it to end. Nothing (and no
    // message) when there is no audio device.
    virtual void beep() {}

    // --- debugger channel ---
    // Connects to the debugger named by "/W" (0 = none). False when it cannot be reached.
    virtual bool debugConnect(uint32_t target) = 0;
    // Sends one message synchronously: it returns when the debugger has received it or is gone.
    // A resume request that arrives meanwhile is queued as a DebugResume event.
    virtual void debugSend(uint32_t message, uint32_t first, uint32_t second,
                           const uint8_t* payload, uint32_t size) = 0;
};

}  // namespace corvane
