#include "host/paced_platform.h"

#include "host/input_log.h"

namespace corvane {

namespace {

using T = PlatformEvent::Type;

// The press a release ends, when it is one of the input's releases.
std::optional<T> pressOf(T release) {
    switch (release) {
        case T::KeyUp:
            return T::KeyDown;
        case T::LeftUp:
            return T::LeftDown;
        case T::PadUp:
            return T::PadDown;
        default:
            return std::nullopt;
    }
}

}  // namespace

uint64_t RealTimePacer::dueAt(uint64_t virtualNs, uint64_t realNowNs) {
    if (!anchored_) {
        anchored_ = true;
        offsetNs_ = int64_t(realNowNs) - int64_t(virtualNs);
    }
    const int64_t due = int64_t(virtualNs) + offsetNs_;
    if (int64_t(realNowNs) - due > int64_t(kPaceSlackNs)) {
        offsetNs_ = int64_t(realNowNs) - int64_t(virtualNs);
        return realNowNs;
    }
    return uint64_t(due);
}

PacedPlatform::PacedPlatform(Platform& window, uint64_t instructionsPerSecond)
    : window_(window), ips_(instructionsPerSecond ? instructionsPerSecond : 1), clock_(ips_) {
    // Whole seconds: the log keeps the start date to the second, and the replay starts there.
    startDate_ = window_.localTime();
    startDate_.millisecond = 0;
    date_.set(startDate_, 0);
}

void PacedPlatform::setRate(uint64_t instructionsPerSecond) {
    if (clock_.instructions() != 0 || clock_.waitedNs() != 0) return;
    ips_ = instructionsPerSecond ? instructionsPerSecond : 1;
    clock_ = InstructionClock(ips_);
}

void PacedPlatform::setLocalTime(const LocalTime& time) {
    // A date the host clock would refuse leaves the date unchanged, as a refused clock would.
    if (!validLocalTime(time)) return;
    LocalTime t = time;
    t.millisecond = 0;
    date_.set(t, nowNs());
}

void PacedPlatform::takeWindowEvents() {
    PlatformEvent e;
    while (window_.pollEvent(e)) {
        if (loggedEvent(e.type))
            held_.push_back(std::move(e));
        else
            passing_.push_back(std::move(e));
    }
}

std::vector<PlatformEvent> PacedPlatform::releaseFrame(uint64_t) {
    // The window keeps painting and answering while real time comes to the frame.
    for (uint64_t due = pacer_.dueAt(nowNs(), window_.nowNs()); window_.nowNs() < due;) {
        window_.waitUntil(due);
        takeWindowEvents();
    }
    takeWindowEvents();

    std::vector<PlatformEvent> released;
    while (!held_.empty()) {
        const PlatformEvent& e = held_.front();
        if (const std::optional<T> press = pressOf(e.type)) {
            bool pressedNow = false;
            for (const PlatformEvent& r : released)
                pressedNow =
                    pressedNow || (r.type == *press &&
                                   (r.type == T::LeftDown || (r.code & 0xFF) == (e.code & 0xFF)));
            if (pressedNow) break;
        }
        holdInput(e, keys_, pads_);
        released.push_back(e);
        queue_.push_back(e);
        held_.pop_front();
    }
    return released;
}

bool PacedPlatform::pollEvent(PlatformEvent& event) {
    if (queue_.empty() && passing_.empty()) takeWindowEvents();
    std::deque<PlatformEvent>& from = !queue_.empty() ? queue_ : passing_;
    if (from.empty()) return false;
    event = std::move(from.front());
    from.pop_front();
    return true;
}

std::optional<std::string> PacedPlatform::openFileDialog(const OpenFileRequest& request) {
    std::optional<std::string> chosen = window_.openFileDialog(request);
    if (onDialogAnswer) onDialogAnswer(chosen ? *chosen : std::string("cancel"));
    return chosen;
}

}  // namespace corvane
