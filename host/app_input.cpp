// What the app makes of keys and gamepad buttons: the key map between them and the program, the
// shortcut actions, the keys a dialog or the menu kept, and rewinding through the last seconds.

#include <cstdio>

#include "host/app.h"
#include "host/config_store.h"
#include "host/machine_state.h"
#include "host/rewind_pace.h"
#include "host/texts.h"
#include "host/window.h"
#include "library/path.h"
#include "vm/machine.h"

namespace corvane {

namespace {

constexpr const char* kRunSection = "Corvane";
constexpr uint32_t kDefaultRewindSeconds = 10;
constexpr uint32_t kDefaultRewindInterval = 6;  // frames: ten states a second

}  // namespace

const std::array<uint8_t, 256>& App::programKeys() {
    std::array<uint8_t, 256> pc = platform_.keyboardState();
    holdBack_.filter(pc);
    input_.programKeys(pc, platform_.gamepadButtons(), programKeys_);
    return programKeys_;
}

bool App::shortcut(const PlatformEvent& event) {
    using T = PlatformEvent::Type;
    Binding binding;
    if (event.type == T::KeyDown || event.type == T::KeyUp) {
        if (event.code > 0xFF) return false;
        binding = input_.key(uint8_t(event.code));
    } else if (event.type == T::PadDown || event.type == T::PadUp) {
        if (event.code >= uint32_t(kPadButtons)) return false;
        binding = input_.pad(PadButton(event.code));
    } else {
        return false;
    }
    if (binding.action == HostAction::None) return false;
    action(binding.action, event.type == T::KeyDown || event.type == T::PadDown);
    return true;
}

void App::action(HostAction what, bool down) {
    // The held ones follow their key; the others act when it goes down.
    if (what == HostAction::FastForward) return setFastForwardHeld(down);
    if (what == HostAction::Rewind) return setRewindHeld(down);
    if (!down) return;
    switch (what) {
        case HostAction::Reset:
            command(kCmdReset);
            break;
        case HostAction::Pause:
            command(kCmdPause);
            break;
        case HostAction::SaveState:
            command(kCmdSaveState);
            break;
        case HostAction::LoadState:
            command(kCmdLoadState);
            break;
        case HostAction::Record:
            command(kCmdRecord);
            break;
        default:
            break;
    }
}

void App::readInputSettings() {
    const ConfigStore& ini = *config_;
    for (const std::string& line : input_.load(ini))
        std::fprintf(stderr, "corvane: %s: ignored, no such key or action: %s\n",
                     hostPathText(ini.path()).c_str(), line.c_str());
    setRewind(ini.getUnsigned(kRunSection, "RewindSeconds", kDefaultRewindSeconds),
              ini.getUnsigned(kRunSection, "RewindInterval", kDefaultRewindInterval));
}

void App::setRewind(uint32_t seconds, uint32_t intervalFrames) {
    rewindInterval_ = intervalFrames == 0 ? kDefaultRewindInterval : intervalFrames;
    // States a second at 60 frames a second, rounded up so a second always has one.
    const uint64_t perSecond = (60 + rewindInterval_ - 1) / rewindInterval_;
    RewindLimits limits = rewind_.limits();
    limits.states = uint32_t(std::min<uint64_t>(uint64_t(seconds) * perSecond, 100'000));
    rewind_.setLimits(limits);
}

void App::setRewindHeld(bool held) {
    if (held == rewindHeld_) return;
    rewindHeld_ = held;
    rewindSteps_ = 0;
    rewindHeldFrames_ = 0;
    if (held) {
        if (rewind_.count() == 0) notify(hostText(TextId::NoticeNothingToRewind));
    } else if (window_ && !window_->notice().empty()) {
        window_->clearNotice();
    }
    framesSinceState_ = 0;
    syncWindow();
}

bool App::rewindFrame() {
    Machine& m = *machine_;
    if (rewindHeld_) {
        // A debugger stop holds the program where the debugger looks at it.
        if (m.paused || !loader_->imageLoaded()) return true;
        // Steps at the pace the time held asks for; only the last state of them is applied.
        const uint64_t due = rewindStepsDue(++rewindHeldFrames_, rewindInterval_);
        bool popped = false;
        while (rewindSteps_ < due && rewind_.pop(rewindBytes_)) {
            ++rewindSteps_;
            popped = true;
        }
        if (!popped) return true;
        if (!rewindScratch_) rewindScratch_ = std::make_unique<MachineState>();
        *rewindScratch_ = MachineState{};
        if (decodeState(rewindBytes_, m, *rewindScratch_) != StateError::None) {
            rewind_.clear();  // taken from another image: nothing in it belongs here
            return true;
        }
        const bool wasLoaded = m.programLoaded;
        // Files the program had open then are reopened; one that is gone stays closed, as
        // loading a state does, but a rewind does not stop to say so at every step.
        applyState(m, *rewindScratch_, platform_.nowNs());
        restoreDate(rewindScratch_->timing.dateNs);
        if (!wasLoaded) loader_->resumedFromState();
        // How far back from where the rewind began, in the program's seconds.
        const double back = double(rewindSteps_) * rewindInterval_ / 60.0;
        char seconds[24];
        std::snprintf(seconds, sizeof seconds, "%.1f", back);
        notify(formatText(TextId::NoticeRewound, {seconds}));
        window_->frame(m);
        return true;
    }
    if (rewind_.limits().states == 0 || !m.programLoaded || m.paused || runLoop_->frozen() ||
        runLoop_->userPaused())
        return false;
    if (++framesSinceState_ >= rewindInterval_) {
        framesSinceState_ = 0;
        rewind_.push(encodeState(m, stateTiming(), std::string()));
    }
    return false;
}

}  // namespace corvane
