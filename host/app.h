#pragma once
// Start-up and shutdown of the simulator, and the message loop between them; platform-neutral.
//
// Start-up, in order: the skin art and the window image; the image buffer ("内存不足!" when it
// cannot be had); the font data file ("无法打字体文件duzezi.dat!" when it cannot be opened); the
// configuration file (created empty when missing; "ROM"/"Directory" becomes the working
// directory; "CPU"/"Frequency" read, and written back as 1000, the rate of the nanosecond clock,
// when it reads 0); the timing; the window, shaped and painted, with the debugger's attach notice;
// the paused flag; then the image named on the command line, loaded and started. Every start-up
// failure ends the process with a non-zero exit status. Shutdown saves the working directory as
// "ROM"/"Directory" and sends an attached debugger the exit notice.
//
// The App is also the Host of the machine: clock, the FileList dialog and the debugger link go
// to the Platform. The local date is the process's own: it starts at the platform's date and
// SetTime moves only it, so no program can move the host's clock; "Clock"/"SetHostClock"=1 in
// vorn.ini hands both to the platform's clock instead.
//
// What is not the application's own lives in parts beside it: StoredSettings (what the desktop
// program remembers in vorn.ini), Captures (screenshots and recordings) and DebuggerNotices (what
// the debugger named by "/W" is told).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/cmdline.h"
#include "host/input_map.h"
#include "host/loader.h"
#include "host/paths.h"
#include "host/platform.h"
#include "host/rewind.h"
#include "host/run_controls.h"
#include "host/runloop.h"
#include "host/view.h"
#include "host/virtual_date.h"
#include "vm/host.h"

namespace corvane {

struct Machine;
struct FontTables;
class Window;
class Captures;
class DebuggerNotices;
class StoredSettings;
class ConfigStore;
struct MachineState;
struct StateTiming;

// vorn.ini: "Clock"/"SetHostClock" = 1 lets a program's SetTime set the host's own clock.
// Missing or 0 (the default), SetTime moves a date of this process only.
inline constexpr const char* kClockSection = "Clock";
inline constexpr const char* kSetHostClockKey = "SetHostClock";

// Exit status of a start-up that failed (the message has been shown).
constexpr int kStartUpFailed = 1;

// What the debugger link's attach notice and the snapshot carry as the simulator's window.
constexpr uint32_t kMainWindowId = 1;

// The instruction rate "限速" limits to unless vorn.ini says otherwise, and the fast-forward
// factor.
constexpr uint64_t kDefaultSpeedLimit = 1'000'000;
constexpr uint32_t kDefaultFastForward = 4;

struct AppSettings {
    HostPaths paths;
    // The desktop program creates and writes vorn.ini; the runner only reads it when present.
    bool writeConfig = true;
    // The working directory when "ROM"/"Directory" names no existing folder, and the first place
    // a relative image path on the command line is looked for: the shell's working directory.
    std::string startDir;
    // False keeps SetTime away from the host's clock even when vorn.ini asks for it.
    bool hostClockAllowed = true;
    // The language of the host's texts, a table's code ("zh", "en"). Empty: [Corvane] Language
    // in vorn.ini for the desktop program, the default for the runner.
    std::string language;
};

// The desktop program's settings: the layout of desktopPaths for this process, vorn.ini written,
// the process's working directory as the start directory, the host's clock unless
// CORVANE_VIRTUAL_CLOCK=1.
AppSettings desktopSettings();

class App : public Host, public RunLoopClient {
  public:
    App(Platform& platform, AppSettings settings);
    ~App() override;
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Start-up, up to and including the command line's image. 0 when the message loop may start,
    // else the exit status (the failure has been shown).
    int startUp(const Switches& switches);

    // The message loop, until Exit (or the window's destruction). Returns the exit code.
    int run();

    // Saves the working directory and says goodbye to the debugger.
    void shutDown();

    // --- the loop's pieces, for a front end that drives it itself ---
    // Handles every waiting event.
    void dispatchEvents();
    // One run slice and what follows it (the working directory, the window image).
    SliceResult turn();
    void handleEvent(const PlatformEvent& event);
    void command(uint16_t id);
    bool quitRequested() const { return quit_; }
    // What run() returns: the exit code the app ends with.
    int exitCode() const { return exitCode_; }
    // Opens the program image `path` as a file chosen in the open dialog is (its messages
    // included) and starts it. False when it could not be loaded.
    bool openProgram(const std::string& path);
    // The window shows the LCD as the program has left it now, between two frames (a debugger's
    // stop in the middle of one).
    void showProgramNow();

    // Called around each frame: before its events and keyboard scan, and after the frame.
    std::function<void(uint64_t)> onFrameStart;
    std::function<void(uint64_t)> onFrameEnd;
    std::function<void(uint8_t)> onConsoleByte;
    // Each Beep of the program, heard or not (the runner writes their times).
    std::function<void()> onBeep;
    // Each of the program's streams closed (the web page then writes the root to its storage).
    std::function<void()> onStreamClosed;

    // "蜂鸣声": the program's Beep is played through the platform's audio (off by default).
    void setBeepSound(bool on) { beepSound_ = on; }
    bool beepSound() const { return beepSound_; }

    // --- run controls, save states and recording ---
    void togglePause();
    bool paused() const;
    // Fast-forward is on while Tab is held or while toggled on (menu).
    void setFastForwardHeld(bool held);
    void toggleFastForward();
    void setFastForwardFactor(uint32_t factor);
    // The instruction rate of "限速", and whether it is in force.
    void setSpeedSetting(uint64_t instructionsPerSecond);
    void setSpeedLimited(bool limited);
    bool speedLimited() const { return speedLimited_; }
    uint64_t speedSetting() const { return speedSetting_; }
    uint32_t fastForwardFactor() const { return fastForwardFactor_; }

    // A state to or from a file. False when it failed; the message has been shown.
    bool saveState(const std::string& file);
    bool loadState(const std::string& file);
    // While an input log is recorded or replayed, no state is loaded (a message says so): a
    // loaded state takes the frames back, and the log counts its input by frame.
    void refuseStateLoads(bool refuse) { refuseStateLoads_ = refuse; }
    // The running program's state in memory, and putting one back (the debugger's reverse
    // execution): the machine, its date and whether it runs. The run loop's position and the
    // platform's are the caller's to keep and put back, first.
    std::vector<uint8_t> captureState();
    bool restoreState(const std::vector<uint8_t>& bytes);
    // State slot n (1-4) of the loaded image: <root>/states/<image name>.<n>.state.
    std::string slotFile(int slot) const;
    int stateSlot() const { return slot_; }
    void setStateSlot(int slot);

    // Recording of the LCD; the file is complete once stopped (or at shutdown).
    bool startRecording(const std::string& file, int scale);
    bool stopRecording();
    bool recording() const;
    // Where the F12 key and the menu record to: <root>/recordings/<image name>-<n>.gif.
    std::string nextRecordingFile() const;

    // --- window size, full screen, recent files, screenshots, About (app_view.cpp) ---
    void setViewMode(const ViewMode& mode);
    const ViewMode& viewMode() const { return view_; }
    const ViewLayout& viewLayout() const { return layout_; }
    // What the screen shows: the window image through the layout.
    const RgbImage& presentedImage();
    // The programs opened last, newest first (at most eight).
    const std::vector<std::string>& recentFiles() const { return recent_; }
    // Recordings take the whole window as shown (true) or the LCD alone.
    void setRecordWindow(bool on);
    bool recordsWindow() const;
    // F12: the picture as shown, as a PNG in <root>/screenshots; the file, or empty on failure.
    std::string saveScreenshot();
    // Another picture of the window (a front end's dialog drawn over it) saved the same way.
    std::string saveScreenshot(const RgbImage& picture);
    // The text of the About item: version, keys, where the files live.
    std::string aboutText() const;

    // The keyboard state the program sees: the platform's keys and gamepad buttons through the
    // key map, without the shortcut keys and the keys a dialog or the menu was closed with.
    const std::array<uint8_t, 256>& programKeys();
    InputMap& inputMap() { return input_; }

    // Rewind: while held, steps back through the history in real time, faster the longer it is
    // held (host/rewind_pace.h).
    void setRewindHeld(bool held);
    bool rewinding() const { return rewindHeld_; }
    const RewindRing& rewindHistory() const { return rewind_; }
    // States are taken every `interval` frames and kept for `seconds` (0 = no rewind).
    void setRewind(uint32_t seconds, uint32_t intervalFrames);

    // What start-up got as far as making (a failed start-up may leave some of them missing).
    bool hasMachine() const { return machine_ != nullptr; }
    bool hasWindow() const { return window_ != nullptr; }

    Machine& machine() { return *machine_; }
    Window& window() { return *window_; }
    bool hasLoader() const { return loader_ != nullptr; }
    Loader& loader() { return *loader_; }
    RunLoop& runLoop() { return *runLoop_; }
    uint32_t frequency() const { return frequency_; }
    // Whether SetTime sets the host's clock (enabled in vorn.ini) rather than the virtual date.
    bool setsHostClock() const { return hostClock_; }
    const AppSettings& settings() const { return settings_; }

    // --- Host ---
    uint64_t nowNs() override;
    LocalTime localTime() override;
    void setLocalTime(const LocalTime& time) override;
    std::optional<std::string> chooseFile(const std::string& initialDir) override;
    void debugSnapshot(uint32_t dataWord, const uint8_t* data, uint32_t size) override;
    void debugStopNotice(uint32_t line) override;
    void streamWriteFailed(const std::string& file) override;
    void consoleByte(uint8_t byte) override {
        if (onConsoleByte) onConsoleByte(byte);
    }
    void beep() override {
        if (onBeep) onBeep();
        if (beepSound_) platform_.beep();
    }
    void streamClosed() override {
        if (onStreamClosed) onStreamClosed();
    }

    // --- RunLoopClient ---
    void frame(uint64_t number, bool running) override;
    void programEnded() override;

  private:
    // app_view.cpp: pointer positions from the screen's pixels to the window image's; false
    // when the event falls outside the picture and is dropped.
    bool mapPointer(PlatformEvent& event) const;
    // Events and commands of the view, the recent files, screenshots and About: true if taken.
    bool viewEvent(const PlatformEvent& event);
    bool viewCommand(uint16_t id);
    void startView();
    void syncView();
    void noteRecentFile(const std::string& path);
    void readViewSettings();
    void writeViewSettings();
    std::string resolveImagePath(const std::string& path) const;
    // A shortcut key or gamepad button event, carried out here; false for every other event.
    bool shortcut(const PlatformEvent& event);
    void action(HostAction action, bool down);
    void readInputSettings();
    // Each frame: a rewind step while held, else a state into the history every few frames.
    // True when the frame was a rewind step (the program does not run in it).
    bool rewindFrame();
    StateTiming stateTiming();
    void restoreDate(const std::optional<int64_t>& dateNs);
    void applyRunControls();
    void notify(const std::string& text);
    void readRunSettings();
    void writeRunSettings();
    void expireNotice();
    std::string imageName() const;
    void paint();
    void syncWindow();
    // Hands the window image to the platform (when it shows one) and notes its version.
    void upload();
    // What the run controls have to act on now.
    ProgramPresence presence() const;
    int failStartUpAfterAttach();

    Platform& platform_;
    AppSettings settings_;
    // vorn.ini, through the store of this system.
    std::unique_ptr<ConfigStore> config_;
    // The settings the desktop program remembers there.
    std::unique_ptr<StoredSettings> stored_;
    std::unique_ptr<Machine> machine_;
    std::unique_ptr<FontTables> fonts_;
    std::unique_ptr<Window> window_;
    std::unique_ptr<Loader> loader_;
    std::unique_ptr<RunLoop> runLoop_;
    uint32_t frequency_ = 0;
    std::unique_ptr<DebuggerNotices> debugger_;
    // The date the time calls see: the platform's at start-up, then moved only by SetTime,
    // unless the host's clock is in use.
    VirtualDate date_;
    bool hostClock_ = false;
    uint64_t uploadedVersion_ = ~uint64_t(0);
    bool quit_ = false;
    int exitCode_ = 0;

    bool fastForwardHeld_ = false;
    bool fastForwardToggled_ = false;
    uint32_t fastForwardFactor_ = kDefaultFastForward;
    bool speedLimited_ = false;
    bool beepSound_ = false;
    uint64_t speedSetting_ = kDefaultSpeedLimit;
    int slot_ = 1;
    bool refuseStateLoads_ = false;
    std::unique_ptr<Captures> captures_;
    std::array<uint8_t, 256> programKeys_{};
    InputMap input_;
    KeyHoldBack holdBack_;
    bool menuWasOpen_ = false;
    RewindRing rewind_;
    bool rewindHeld_ = false;
    uint32_t rewindInterval_ = 6;
    uint32_t framesSinceState_ = 0;
    uint32_t rewindSteps_ = 0;       // states stepped back since the rewind key went down
    uint64_t rewindHeldFrames_ = 0;  // frames since the rewind key went down
    std::unique_ptr<MachineState> rewindScratch_;
    std::vector<uint8_t> rewindBytes_;
    uint64_t noticeUntilNs_ = 0;

    ViewMode view_;
    ViewLayout layout_;
    bool viewApplied_ = false;
    bool sizeChosen_ = false;  // by the user (menu, vorn.ini), not picked for the screen
    ScreenRect work_;          // the screen's work area when last asked (empty: not known)
    std::vector<std::string> recent_;
    // The list as the menu's items were last given it; none before the first sync.
    std::optional<std::vector<std::string>> recentShown_;
    std::string recentNoted_;
    RgbImage presented_;
};

}  // namespace corvane
