// The run controls of the desktop app (pause, fast-forward, the speed limit), save states in
// slots or files, recording of the LCD, and the notices that confirm them over the face.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/app.h"
#include "host/config_store.h"
#include "host/gif_recorder.h"
#include "host/machine_state.h"
#include "host/window.h"
#include "library/path.h"
#include "vm/machine.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

constexpr uint64_t kNoticeNs = 2'000'000'000;  // how long a notice stays over the face

// The settings remembered in vorn.ini, beside the described keys.
constexpr const char* kRunSection = "Corvane";

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
    notify(runLoop_->userPaused() ? "暂停" : "继续");
}

void App::setFastForwardHeld(bool held) {
    fastForwardHeld_ = held;
    applyRunControls();
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
        platform_.messageBox(kMsgNoProgram);
        return false;
    }
    const std::vector<uint8_t> bytes = encodeState(m, stateTiming(), imageName());
    if (!writeFileAtomically(file, bytes)) {
        platform_.messageBox(kMsgStateCannotWrite);
        return false;
    }
    notify("状态已保存: " + hostPathText(hostFsPath(file).filename()));
    return true;
}

bool App::loadState(const std::string& file) {
    std::vector<uint8_t> bytes;
    if (!loader_->imageLoaded()) {
        platform_.messageBox(kMsgNoProgram);
        return false;
    }
    if (!readFile(file, bytes)) {
        platform_.messageBox(kMsgStateCannotOpen);
        return false;
    }
    auto state = std::make_unique<MachineState>();
    switch (decodeState(bytes, *machine_, *state)) {
        case StateError::None:
            break;
        case StateError::NotAState:
            platform_.messageBox(kMsgStateInvalid);
            return false;
        case StateError::TooNew:
            platform_.messageBox(kMsgStateTooNew);
            return false;
        case StateError::OtherImage:
            platform_.messageBox(kMsgStateOtherImage);
            return false;
    }
    const uint64_t now = platform_.nowNs();
    const std::vector<std::string> gone = applyState(*machine_, *state, now);
    runLoop_->restoreFrames(state->timing.frames, state->timing.sinceLastFrameNs);
    restoreDate(state->timing.dateNs);
    loader_->resumedFromState();
    if (!gone.empty()) {
        std::string text = kMsgStateFileGone;
        for (size_t i = 0; i < gone.size(); ++i) text += (i ? ", " : "") + gone[i];
        platform_.messageBox(text);
    }
    notify("状态已读取: " + hostPathText(hostFsPath(file).filename()));
    syncWindow();
    return true;
}

bool App::startRecording(const std::string& file, int scale) {
    if (recorder_ && recorder_->isOpen()) return false;
    auto recorder = std::make_unique<GifRecorder>();
    std::error_code ec;
    const fs::path target = hostFsPath(file);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const bool opened =
        recordWindow_ ? recorder->openWindow(file, window_->image().width, window_->image().height,
                                             scale, platform_.nowNs())
                      : recorder->open(file, scale, window_->lcd().blackWhite(), platform_.nowNs());
    if (!opened) {
        platform_.messageBox(kMsgRecordCannotWrite);
        return false;
    }
    // The picture at the start is the first frame, whether or not the program draws again.
    if (recordWindow_)
        recorder->windowFrame(window_->image(), platform_.nowNs());
    else
        recorder->frame(&machine_->mem[kLcdScreen], platform_.nowNs());
    recorder_ = std::move(recorder);
    notify("开始录制");
    return true;
}

bool App::stopRecording() {
    if (!recorder_ || !recorder_->isOpen()) return false;
    const bool ok = recorder_->close(platform_.nowNs());
    recorder_.reset();
    if (!ok) {
        platform_.messageBox(kMsgRecordCannotWrite);
        return false;
    }
    notify("录制已保存");
    return true;
}

bool App::recording() const {
    return recorder_ && recorder_->isOpen();
}

std::string App::nextRecordingFile() const {
    const fs::path dir = settings_.paths.root / "recordings";
    std::error_code ec;
    for (int n = 1;; ++n) {
        fs::path file = dir / hostFsPath(imageName() + "-" + std::to_string(n) + ".gif");
        if (!fs::exists(file, ec)) return hostPathText(file);
    }
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
    const ConfigStore& ini = *config_;
    speedSetting_ = ini.getUnsigned(kRunSection, "Speed", uint32_t(kDefaultSpeedLimit));
    if (speedSetting_ == 0) speedSetting_ = kDefaultSpeedLimit;
    speedLimited_ = ini.getUnsigned(kRunSection, "SpeedLimited", 0) != 0;
    const uint32_t factor = ini.getUnsigned(kRunSection, "FastForward", kDefaultFastForward);
    fastForwardFactor_ = factor < 2 ? kDefaultFastForward : factor;
    setStateSlot(int(ini.getUnsigned(kRunSection, "StateSlot", 1)));
    if (ini.getUnsigned(kRunSection, "Interlaced", 0) != 0) window_->displayCommand(kCmdInterlace);
    if (ini.getUnsigned(kRunSection, "BlackWhite", 0) != 0) window_->displayCommand(kCmdBlackWhite);
    applyRunControls();
}

void App::writeRunSettings() {
    const ConfigStore& ini = *config_;
    const Menu& menu = window_->menu();
    // A setting at its default is written only when the file has it already, so a user who
    // never changes one keeps the configuration file as it always was.
    auto keep = [&](const char* key, const std::string& value, const std::string& fallback) {
        const bool present = ini.getString(kRunSection, key, "\x01") != "\x01";
        if (present || value != fallback) ini.setString(kRunSection, key, value);
    };
    keep("Speed", std::to_string(speedSetting_), std::to_string(kDefaultSpeedLimit));
    keep("SpeedLimited", speedLimited_ ? "1" : "0", "0");
    keep("FastForward", std::to_string(fastForwardFactor_), std::to_string(kDefaultFastForward));
    keep("StateSlot", std::to_string(slot_), "1");
    keep("Interlaced", menu.isChecked(kCmdInterlace) ? "1" : "0", "0");
    keep("BlackWhite", menu.isChecked(kCmdBlackWhite) ? "1" : "0", "0");
}

}  // namespace corvane
