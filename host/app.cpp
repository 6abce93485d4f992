#include "host/app.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

#include "display/fonts.h"
#include "host/captures.h"
#include "host/config_store.h"
#include "host/debugger_notices.h"
#include "host/machine_state.h"
#include "host/mode_signs.h"
#include "host/run_controls.h"
#include "host/skin.h"
#include "host/stored_settings.h"
#include "host/texts.h"
#include "host/window.h"
#include "library/path.h"
#include "shared/debuglink.h"
#include "vm/machine.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

bool isDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// A directory as the configuration file stores it: no trailing separator except for "/".
std::string storedDirectory(std::string dir) {
    // A drive's own folder keeps its separator: "C:" alone is that drive's current directory.
    const char separator = char(fs::path::preferred_separator);
    while (dir.size() > 1 && (dir.back() == '/' || dir.back() == separator) &&
           !(dir.size() == 3 && dir[1] == ':')) {
        dir.pop_back();
    }
    return dir;
}

}  // namespace

AppSettings desktopSettings() {
    AppSettings s;
    s.paths = desktopPaths(currentPathInputs());
    s.writeConfig = true;
    std::error_code ec;
    s.startDir = hostPathText(fs::current_path(ec));
    // CORVANE_VIRTUAL_CLOCK=1 keeps the host's clock untouched whatever vorn.ini says.
    s.hostClockAllowed = !environmentFlag("CORVANE_VIRTUAL_CLOCK");
    return s;
}

App::App(Platform& platform, AppSettings settings)
    : platform_(platform),
      settings_(std::move(settings)),
      config_(openConfigStore(settings_.paths.configFile)),
      stored_(std::make_unique<StoredSettings>(*config_)),
      debugger_(std::make_unique<DebuggerNotices>(platform)),
      captures_(std::make_unique<Captures>(settings_.paths.root)) {}

App::~App() = default;

int App::startUp(const Switches& switches) {
    debugger_->name(switches.debugger);
    // The language first: every text from here on is in it. The runner's comes from its command
    // line (checked there), the desktop program's from vorn.ini.
    if (!settings_.language.empty())
        setTextLanguage(languageByCode(settings_.language).value_or(kDefaultLanguage));
    else
        setTextLanguage(settings_.writeConfig ? stored_->readLanguage() : kDefaultLanguage);

    // The image buffer lives in the machine and is allocated once, here.
    try {
        machine_ = std::make_unique<Machine>();
        fonts_ = std::make_unique<FontTables>();
    } catch (const std::bad_alloc&) {
        platform_.messageBox(hostText(TextId::MessageOutOfMemory));
        return kStartUpFailed;
    }
    Machine& m = *machine_;
    m.host = this;
    m.debug.stopValue = switches.stopValue;
    m.paused = true;
    m.programLoaded = false;

    const std::string root = directoryText(settings_.paths.root);
    m.rootDir = root;
    m.currentDir = root;

    if (!loadFontFile(hostPathText(settings_.paths.fontFile), *fonts_)) {
        platform_.messageBox(hostText(TextId::MessageNoFontFile));
        return kStartUpFailed;
    }
    m.fonts = fonts_.get();

    loader_ = std::make_unique<Loader>(m, platform_);
    const ConfigStore& ini = *config_;
    if (settings_.writeConfig) {
        // An installed copy keeps its root below the user's data home, made at the first start.
        std::error_code ec;
        fs::create_directories(settings_.paths.root, ec);
        ini.createIfMissing();
    }

    // "ROM"/"Directory": a folder that does not exist leaves the working directory as it was at
    // start. A relative value is taken from the root directory, where the file itself lives.
    std::string startDir = settings_.startDir.empty() ? root : settings_.startDir;
    fs::path dir = hostFsPath(ini.getString("ROM", "Directory", root));
    if (!dir.empty() && dir.is_relative()) dir = settings_.paths.root / dir;
    loader_->setWorkingDir(!dir.empty() && isDirectory(dir) ? hostPathText(dir) : startDir);

    // "CPU"/"Frequency": the nanosecond clock needs no measurement; 0 (missing, negative, not a
    // number) becomes its rate, written back once.
    frequency_ = ini.getUnsigned("CPU", "Frequency", 0);
    if (frequency_ == 0) {
        frequency_ = kNanosecondClockMHz;
        if (settings_.writeConfig)
            stored_->store("CPU", "Frequency", std::to_string(kNanosecondClockMHz));
    }

    // "Clock"/"SetHostClock": only an explicit non-zero value lets SetTime reach the host's clock.
    hostClock_ =
        settings_.hostClockAllowed && ini.getUnsigned(kClockSection, kSetHostClockKey, 0) != 0;
    date_.set(platform_.localTime(), platform_.nowNs());

    try {
        window_ = std::make_unique<Window>(builtinSkinArt, fonts_.get());
    } catch (const std::bad_alloc&) {
        platform_.messageBox(hostText(TextId::MessageOutOfMemory));
        return kStartUpFailed;
    }
    runLoop_ = std::make_unique<RunLoop>(m, platform_, *this, Timing::fromFrequency(frequency_));
    // Only the desktop program remembers its display and speed settings; the runner takes its
    // own from the command line.
    if (settings_.writeConfig) readRunSettings();
    readInputSettings();

    platform_.useFonts(fonts_.get());
    std::vector<std::pair<int, int>> outline;
    for (const OutlinePoint& p : kWindowOutline) outline.emplace_back(p.x, p.y);
    debugger_->attach();
    if (!platform_.createWindow("Corvane", kWindowWidth, kWindowHeight, outline))
        return failStartUpAfterAttach();
    startView();
    paint();
    syncWindow();

    if (switches.image) {
        LoadResult result = loader_->loadAtStartup(resolveImagePath(*switches.image));
        if (result != LoadResult::Loaded) return failStartUpAfterAttach();
        syncWindow();
    }
    return 0;
}

// A start-up that fails once the debugger has been told of us ends the session as a finished
// program does, so the debugger is not left waiting for a stop that never comes. The desktop
// programs never shut down after a failed start, the runner does: the notice goes out once.
int App::failStartUpAfterAttach() {
    platform_.closeWindow();
    debugger_->startFailed();
    return kStartUpFailed;
}

std::string App::resolveImagePath(const std::string& path) const {
    const fs::path p = hostFsPath(path);
    if (p.is_absolute()) return path;
    fs::path fromShell =
        (settings_.startDir.empty() ? fs::current_path() : hostFsPath(settings_.startDir)) / p;
    std::error_code ec;
    if (fs::exists(fromShell, ec)) return hostPathText(fromShell);
    fs::path fromWorking = hostFsPath(loader_->workingDir()) / p;
    if (fs::exists(fromWorking, ec)) return hostPathText(fromWorking);
    return hostPathText(fromShell);
}

int App::run() {
    while (!quit_) {
        dispatchEvents();
        if (quit_) break;
        SliceResult s = turn();
        if (quit_) break;
        if (s.idle != IdleReason::None) platform_.waitUntil(s.wakeNs);
    }
    return exitCode_;
}

bool App::openProgram(const std::string& path) {
    const bool loaded = loader_->openChosen(resolveImagePath(path)) == LoadResult::Loaded;
    if (loaded) runLoop_->setUserPaused(false);
    syncWindow();
    return loaded;
}

void App::showProgramNow() {
    if (!window_ || !machine_->programLoaded) return;
    window_->frame(*machine_);
    syncWindow();
}

void App::shutDown() {
    if (recording()) stopRecording();
    // The order an attached debugger relies on: the window is gone and its message loop has
    // ended, then the configuration is written, and only then does the exit notice go out.
    platform_.closeWindow();
    if (settings_.writeConfig && loader_) {
        stored_->store("ROM", "Directory", storedDirectory(loader_->workingDir()));
        if (window_ && runLoop_) {
            writeRunSettings();
            writeViewSettings();
        }
    }
    debugger_->exit();
}

void App::dispatchEvents() {
    PlatformEvent event;
    while (!quit_ && platform_.pollEvent(event)) handleEvent(event);
}

SliceResult App::turn() {
    SliceResult s = runLoop_->slice();
    loader_->noteMachineDirectory();
    // A slice that only ran instructions changed nothing the window or its menu shows: events,
    // commands, frames and a program's end sync on their own, and a stop or a wait ends the
    // slice idle. Only a notice's time running out needs a look meanwhile.
    if (s.frame || s.idle != IdleReason::None || (window_ && !window_->notice().empty()))
        syncWindow();
    return s;
}

void App::handleEvent(const PlatformEvent& raw) {
    PlatformEvent event = raw;
    if (!mapPointer(event) || viewEvent(event)) return;
    WindowEvent result;
    switch (event.type) {
        case PlatformEvent::Type::Quit:
            // The window is going away: carried out as the Exit command.
            command(kCmdExit);
            return;
        case PlatformEvent::Type::Command:
            command(uint16_t(event.code));
            return;
        case PlatformEvent::Type::LeftDown:
            result = window_->leftButtonDown(event.x, event.y);
            break;
        case PlatformEvent::Type::LeftUp:
            result = window_->leftButtonUp(event.x, event.y);
            break;
        case PlatformEvent::Type::RightDown:
            result = window_->rightButtonDown(event.x, event.y);
            break;
        case PlatformEvent::Type::PointerMove:
            result = window_->pointerMove(event.x, event.y);
            break;
        case PlatformEvent::Type::KeyDown:
            if (window_->menu().isOpen()) {
                result = window_->menuKey(uint8_t(event.code));
            } else if (shortcut(event)) {
                // F8's Reset among them: the accelerator works whatever the menu item shows.
                return;
            }
            break;
        case PlatformEvent::Type::KeyUp:
        case PlatformEvent::Type::PadUp:
            // A held fast-forward or rewind ends with its key, menu open or not.
            if (shortcut(event)) return;
            break;
        case PlatformEvent::Type::PadDown:
            if (!window_->menu().isOpen() && shortcut(event)) return;
            break;
        case PlatformEvent::Type::PadPlugged:
            notify(formatText(
                event.value ? TextId::NoticeGamepadConnected : TextId::NoticeGamepadDisconnected,
                {event.path}));
            break;
        case PlatformEvent::Type::DebugResume:
            machine_->paused = false;
            machine_->debug.stopValue = event.value;
            break;
        case PlatformEvent::Type::Expose:
            paint();
            break;
        case PlatformEvent::Type::DropFile:
            if (loader_->openChosen(event.path) == LoadResult::Loaded)
                runLoop_->setUserPaused(false);
            holdBack_.arm();  // a message may have been closed with a key
            break;
    }
    // A full screen stays where it is.
    if (result.kind == WindowEvent::Kind::Drag && !layout_.fullscreen)
        platform_.beginDrag(raw.x, raw.y);
    if (result.kind == WindowEvent::Kind::Command) command(result.command);
    syncWindow();
}

void App::command(uint16_t id) {
    if (!controlAvailable(id, presence())) {
        // A key of a greyed item: the same answer from each of them, never a box.
        notify(hostText(TextId::MessageNoProgram));
        syncWindow();
        return;
    }
    // A menu item's box or dialog comes up over the window without the menu just closed.
    syncWindow();
    switch (id) {
        case kCmdExit:
            loader_->exit();
            quit_ = true;
            exitCode_ = 0;
            runLoop_->requestStop();
            break;
        case kCmdOpen:
            if (loader_->open() == LoadResult::Loaded) runLoop_->setUserPaused(false);
            holdBack_.arm();  // the Enter that chose the file, or closed a message
            break;
        case kCmdClose:
            loader_->closeCommand();
            break;
        case kCmdReset:
            loader_->reset();
            runLoop_->setUserPaused(false);
            break;
        case kCmdInterlace:
        case kCmdBlackWhite:
            window_->displayCommand(id);
            break;
        case kCmdPause:
            togglePause();
            break;
        case kCmdFastForward:
            toggleFastForward();
            break;
        case kCmdSpeedLimit:
            setSpeedLimited(!speedLimited_);
            break;
        case kCmdBeepSound:
            beepSound_ = !beepSound_;
            break;
        case kCmdSaveState:
            saveState(slotFile(slot_));
            break;
        case kCmdLoadState:
            loadState(slotFile(slot_));
            break;
        case kCmdRecord:
            if (recording())
                stopRecording();
            else
                startRecording(nextRecordingFile(), recordsWindow() ? 1 : 2);
            break;
        default:
            if (viewCommand(id)) break;
            if (id >= kCmdSlot1 && id <= kCmdSlot4) setStateSlot(id - kCmdSlot1 + 1);
            // The menu, the signs and the next message speak the language chosen at once.
            if (id >= kCmdLanguage1 && id < kCmdLanguage1 + kLanguageCount)
                setTextLanguage(id - kCmdLanguage1);
            break;
    }
    syncWindow();
}

ProgramPresence App::presence() const {
    ProgramPresence p;
    p.running = machine_ && machine_->programLoaded;
    p.imageLoaded = loader_ && loader_->imageLoaded();
    p.recording = captures_ && recording();
    return p;
}

void App::paint() {
    window_->paint(*machine_, int(loader_ ? loader_->splashState() : SplashState::Idle));
    // Held at a debugger stop, the window keeps showing the program rather than the splash.
    if (machine_->programLoaded && machine_->paused) window_->frame(*machine_);
}

void App::syncWindow() {
    if (!window_) return;
    Menu& menu = window_->menu();
    menu.setEnabled(kCmdClose, loader_->closeResetEnabled());
    menu.setEnabled(kCmdReset, loader_->closeResetEnabled());
    const bool loaded = machine_->programLoaded;
    if (!loaded && runLoop_->userPaused()) runLoop_->setUserPaused(false);
    for (uint16_t control : {kCmdPause, kCmdSaveState, kCmdLoadState, kCmdRecord})
        menu.setEnabled(control, controlAvailable(control, presence()));
    menu.setChecked(kCmdPause, runLoop_->userPaused());
    menu.setChecked(kCmdFastForward, runLoop_->fastForward() > 1);
    menu.setChecked(kCmdSpeedLimit, speedLimited_);
    menu.setChecked(kCmdBeepSound, beepSound_);
    menu.setChecked(kCmdRecord, recording());
    for (int n = 1; n <= kStateSlots; ++n) menu.setChecked(uint16_t(kCmdSlot1 + n - 1), n == slot_);
    for (int lang = 0; lang < kLanguageCount; ++lang)
        menu.setChecked(uint16_t(kCmdLanguage1 + lang), lang == textLanguage());
    RunModes modes;
    modes.running = loaded;
    modes.recording = recording();
    modes.paused = runLoop_->userPaused();
    modes.rewinding = rewindHeld_;
    modes.fastForward = runLoop_->fastForward();
    window_->setSigns(modeSigns(modes));
    expireNotice();
    // Whatever closed the menu (Enter, Esc) is still down: it is not the program's.
    if (menuWasOpen_ && !menu.isOpen()) holdBack_.arm();
    menuWasOpen_ = menu.isOpen();
    runLoop_->setFrozen(menu.isOpen() || rewindHeld_);
    if (loader_->takeRepaint()) paint();
    syncView();
    if (window_->version() != uploadedVersion_) upload();
}

void App::upload() {
    uploadedVersion_ = window_->version();
    if (platform_.showsWindow()) platform_.presentWindow(window_->image());
}

void App::frame(uint64_t number, bool) {
    if (onFrameStart) onFrameStart(number);
    dispatchEvents();  // what belongs before this frame's keyboard scan
    Machine& m = *machine_;
    if (!quit_ && rewindFrame()) {
        syncWindow();
    } else if (!quit_ && m.programLoaded && !m.paused && !runLoop_->frozen()) {
        window_->frame(m);
        if (captures_->recording())
            captures_->frame(window_->capturedImage(), &m.mem[kLcdScreen], platform_.nowNs());
        window_->skin().scan(m, programKeys());
        syncWindow();
    }
    if (onFrameEnd) onFrameEnd(number);
}

void App::programEnded() {
    // A fault's message box waits for the user: show what the program drew up to the fault
    // first, since the next frame would only come after the box, with the splash.
    if (machine_->faulted && window_) {
        window_->frame(*machine_);
        syncWindow();
    }
    const bool message = machine_->faulted;
    loader_->endByItself();
    if (message) holdBack_.arm();  // the key that closed the fault's message
    syncWindow();
}

uint64_t App::nowNs() {
    return platform_.nowNs();
}

LocalTime App::localTime() {
    return hostClock_ ? platform_.localTime() : date_.at(platform_.nowNs());
}

void App::setLocalTime(const LocalTime& time) {
    if (hostClock_) {
        platform_.setLocalTime(time);
        return;
    }
    // A date the host clock would refuse leaves the date unchanged, as a refused clock would.
    if (!validLocalTime(time)) return;
    LocalTime t = time;
    t.millisecond = 0;
    date_.set(t, platform_.nowNs());
}

std::optional<std::string> App::chooseFile(const std::string& initialDir) {
    OpenFileRequest request;
    request.title = hostText(TextId::DialogChooseTitle);
    request.initialDir = initialDir;
    request.filters = {{hostText(TextId::DialogAllFilter), "*.*"}};
    std::optional<std::string> chosen = platform_.openFileDialog(request);
    // The key that chose the file (or cancelled) is still down: it belongs to the dialog, not to
    // the page the program shows next.
    holdBack_.arm();
    if (chosen) {
        fs::path file = fs::absolute(hostFsPath(*chosen));
        loader_->setWorkingDir(hostPathText(file.parent_path()));
        return hostPathText(file);
    }
    return chosen;
}

void App::debugSnapshot(uint32_t dataWord, const uint8_t* data, uint32_t size) {
    // A stop: the window shows the screen as the program left it at the marker, not as the last
    // frame found it up to 1/60 s earlier, and keeps it while the debugger holds the program.
    if (window_) {
        window_->frame(*machine_);
        upload();
    }
    debugger_->snapshot(dataWord, data, size);
}

void App::streamWriteFailed(const std::string& file) {
    platform_.messageBox(formatText(TextId::MessageWriteFailed, {file}));
    holdBack_.arm();
}

void App::debugStopNotice(uint32_t line) {
    debugger_->stop(line);
}

}  // namespace corvane
