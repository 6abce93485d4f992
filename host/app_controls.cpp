// The run controls of the desktop app (pause, fast-forward, the speed limit), save states in
// slots or files, recording of the LCD, and the notices that confirm them over the face.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/app.h"
#include "host/captures.h"
#include "host/machine_state.h"
#include "host/stored_settings.h"
#include "host/texts.h"
#include "host/window.h"
#include "library/path.h"
#include "vm/machine.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

constexpr uint64_t kNoticeNs = 2'000'000'000;  // how long a notice stays over the face

bool readFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(hostFsPath(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Written beside the target and renamed over it, so a failed save leaves the old state whole.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    const fs::path target = hostFsPath(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const fs::path temp = hostFsPath(path + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush()) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) fs::remove(temp, ec);
    return !ec;
}

}  // namespace

bool App::paused() const {
    return runLoop_ && runLoop_->userPaused();
}

void App::togglePause() {
    runLoop_->setUserPaused(!runLoop_->userPaused());
    notify(hostText(runLoop_->userPaused() ? TextId::NoticePaused : TextId::NoticeResumed));
}

void App::setFastForwardHeld(bool held) {
    fastForwardHeld_ = held;
    applyRunControls();
    syncWindow();  // its sign shows at once, also while paused
}

void App::toggleFastForward() {
    fastForwardToggled_ = !fastForwardToggled_;
    applyRunControls();
}

void App::setFastForwardFactor(uint32_t factor) {
    fastForwardFactor_ = factor < 2 ? 2 : factor;
    applyRunControls();
}

void App::setSpeedSetting(uint64_t instructionsPerSecond) {
    speedSetting_ = instructionsPerSecond == 0 ? kDefaultSpeedLimit : instructionsPerSecond;
    applyRunControls();
}

void App::setSpeedLimited(bool limited) {
    speedLimited_ = limited;
    applyRunControls();
}

void App::applyRunControls() {
    if (!runLoop_) return;
    const bool fast = fastForwardHeld_ || fastForwardToggled_;
    runLoop_->setFastForward(fast ? fastForwardFactor_ : 1);
    runLoop_->setSpeedLimit(speedLimited_ ? speedSetting_ : 0);
}

void App::setStateSlot(int slot) {
    if (slot >= 1 && slot <= kStateSlots) slot_ = slot;
}

std::string App::imageName() const {
    const std::string& path = loader_ ? loader_->imagePath() : std::string();
    const std::string stem = hostPathText(hostFsPath(path).stem());
    return stem.empty() ? "program" : stem;
}

std::string App::slotFile(int slot) const {
    return hostPathText(settings_.paths.root / "states" /
                        hostFsPath(imageName() + "." + std::to_string(slot) + ".state"));
}

StateTiming App::stateTiming() {
    StateTiming timing;
    timing.frames = runLoop_->frames();
    timing.sinceLastFrameNs = runLoop_->sinceLastFrameNs();
    timing.sinceLastDelayNs = platform_.nowNs() - machine_->lastDelayNs;
    // The date the time calls see: the process's own, or the platform's when the user let
    // programs set the host clock (the runner's scripted date; nothing on a real clock).
    timing.dateNs = hostClock_ ? platform_.virtualDateNs()
                               : std::optional<int64_t>(date_.nsAt(platform_.nowNs()));
    return timing;
}

void App::restoreDate(const std::optional<int64_t>& dateNs) {
    if (!dateNs) return;
    if (hostClock_)
        platform_.restoreVirtualDate(*dateNs);
    else
        date_.setNs(*dateNs, platform_.nowNs());
}

bool App::saveState(const std::string& file) {
    Machine& m = *machine_;
    if (!m.programLoaded) {
        platform_.messageBox(hostText(TextId::MessageNoProgram));
        return false;
    }
    const std::vector<uint8_t> bytes = encodeState(m, stateTiming(), imageName());
    if (!writeFileAtomically(file, bytes)) {
        platform_.messageBox(hostText(TextId::MessageStateCannotWrite));
        return false;
    }
    notify(formatText(TextId::NoticeStateSaved, {hostPathText(hostFsPath(file).filename())}));
    platform_.fileSaved(file);
    return true;
}

std::vector<uint8_t> App::captureState() {
    return encodeState(*machine_, stateTiming(), std::string());
}

bool App::restoreState(const std::vector<uint8_t>& bytes) {
    if (!rewindScratch_) rewindScratch_ = std::make_unique<MachineState>();
    *rewindScratch_ = MachineState{};
    if (decodeState(bytes, *machine_, *rewindScratch_) != StateError::None) return false;
    applyState(*machine_, *rewindScratch_, platform_.nowNs());
    restoreDate(rewindScratch_->timing.dateNs);
    loader_->resumedFromState();
    // The key a fault's message was closed with belongs to the run that faulted.
    holdBack_ = KeyHoldBack{};
    return true;
}

bool App::loadState(const std::string& file) {
    std::vector<uint8_t> bytes;
    if (!loader_->imageLoaded()) {
        platform_.messageBox(hostText(TextId::MessageNoProgram));
        return false;
    }
    if (refuseStateLoads_) {
        platform_.messageBox(hostText(TextId::MessageStateWhileLogged));
        return false;
    }
    if (!readFile(file, bytes)) {
        platform_.messageBox(hostText(TextId::MessageStateCannotOpen));
        return false;
    }
    auto state = std::make_unique<MachineState>();
    switch (decodeState(bytes, *machine_, *state)) {
        case StateError::None:
            break;
        case StateError::NotAState:
            platform_.messageBox(hostText(TextId::MessageStateInvalid));
            return false;
        case StateError::TooNew:
            platform_.messageBox(hostText(TextId::MessageStateTooNew));
            return false;
        case StateError::OtherImage:
            platform_.messageBox(hostText(TextId::MessageStateOtherImage));
            return false;
    }
    const uint64_t now = platform_.nowNs();
    const std::vector<std::string> gone = applyState(*machine_, *state, now);
    runLoop_->restoreFrames(state->timing.frames, state->timing.sinceLastFrameNs);
    restoreDate(state->timing.dateNs);
    loader_->resumedFromState();
    if (!gone.empty()) {
        std::string files;
        for (size_t i = 0; i < gone.size(); ++i) files += (i ? ", " : "") + gone[i];
        platform_.messageBox(formatText(TextId::MessageStateFileGone, {files}));
    }
    notify(formatText(TextId::NoticeStateLoaded, {hostPathText(hostFsPath(file).filename())}));
    syncWindow();
    return true;
}

bool App::startRecording(const std::string& file, int scale) {
    if (captures_->recording()) return false;
    if (!captures_->startRecording(file, scale, window_->capturedImage(),
                                   &machine_->mem[kLcdScreen], window_->lcd().blackWhite(),
                                   platform_.nowNs())) {
        platform_.messageBox(hostText(TextId::MessageRecordCannotWrite));
        return false;
    }
    notify(hostText(TextId::NoticeRecordingStarted));
    return true;
}

bool App::stopRecording() {
    if (!captures_->recording()) return false;
    const std::string file = captures_->recordingFile();
    if (!captures_->stopRecording(platform_.nowNs())) {
        platform_.messageBox(hostText(TextId::MessageRecordCannotWrite));
        return false;
    }
    notify(formatText(TextId::NoticeRecordingSaved, {hostPathText(hostFsPath(file).filename())}));
    platform_.fileSaved(file);
    return true;
}

bool App::recording() const {
    return captures_->recording();
}

void App::setRecordWindow(bool on) {
    captures_->setRecordWindow(on);
}

bool App::recordsWindow() const {
    return captures_->recordsWindow();
}

std::string App::nextRecordingFile() const {
    return captures_->nextRecordingFile(imageName());
}

void App::notify(const std::string& text) {
    if (!window_) return;
    window_->setNotice(text);
    noticeUntilNs_ = platform_.nowNs() + kNoticeNs;
}

void App::expireNotice() {
    // While paused the notice stays: it is what tells a held picture from a stuck one.
    if (paused()) return;
    if (window_ && !window_->notice().empty() && platform_.nowNs() >= noticeUntilNs_)
        window_->clearNotice();
}

void App::readRunSettings() {
    const RunSettings run = stored_->readRun();
    speedSetting_ = run.speed;
    speedLimited_ = run.speedLimited;
    fastForwardFactor_ = run.fastForward;
    setStateSlot(run.slot);
    if (run.interlaced) window_->displayCommand(kCmdInterlace);
    if (run.blackWhite) window_->displayCommand(kCmdBlackWhite);
    beepSound_ = run.beepSound;
    applyRunControls();
}

void App::writeRunSettings() {
    const Menu& menu = window_->menu();
    RunSettings run;
    run.speed = speedSetting_;
    run.speedLimited = speedLimited_;
    run.fastForward = fastForwardFactor_;
    run.slot = slot_;
    run.interlaced = menu.isChecked(kCmdInterlace);
    run.blackWhite = menu.isChecked(kCmdBlackWhite);
    run.beepSound = beepSound_;
    stored_->writeRun(run);
    stored_->writeLanguage(textLanguage());
}

}  // namespace corvane
