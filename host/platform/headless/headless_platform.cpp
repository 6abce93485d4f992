#include "host/platform/headless/headless_platform.h"

#include "host/input_log.h"
#include "library/path.h"
#include "shared/socket.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

namespace corvane {
namespace fs = std::filesystem;

namespace {
constexpr uint64_t kRealtimeBatch = 4096;
}

HeadlessPlatform::HeadlessPlatform(const Options& options)
    : options_(options),
      clock_(options.instructionsPerSecond),
      start_(std::chrono::steady_clock::now()) {
    date_.set(options_.startDate, 0);
    debug_.onRecord = [this](const DebugRecord& r) {
        PlatformEvent e;
        e.type = PlatformEvent::Type::DebugResume;
        e.value = int32_t(r.first);
        queue_.push_back(e);
    };
}

uint64_t HeadlessPlatform::nowNs() {
    if (options_.realtime) {
        return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now() - start_)
                            .count());
    }
    return clock_.nowNs();
}

uint64_t HeadlessPlatform::batchBudget(uint64_t deadlineNs) {
    if (options_.realtime) return kRealtimeBatch;
    return clock_.budgetTo(deadlineNs);
}

void HeadlessPlatform::executed(uint64_t count) {
    clock_.executed(count);
}

void HeadlessPlatform::waitUntil(uint64_t deadlineNs) {
    if (options_.realtime) {
        if (!queue_.empty()) return;
        if (debug_.connected()) {
            // The debugger's records wake the wait at once.
            const uint64_t now = nowNs();
            if (deadlineNs > now)
                debug_.service(int((deadlineNs - now + 999'999) / 1'000'000), options_.wakeFd);
            return;
        }
        if (options_.wakeFd < 0) {
            std::this_thread::sleep_until(start_ + std::chrono::nanoseconds(deadlineNs));
            return;
        }
        for (uint64_t now = nowNs(); now < deadlineNs; now = nowNs()) {
            const int r = sock::wait(-1, false, int((deadlineNs - now + 999'999) / 1'000'000),
                                     options_.wakeFd);
            if (r > 0) return;  // woken: a signal came
            if (r == sock::kFailed) break;
        }
        return;
    }
    clock_.waitUntil(deadlineNs);
}

LocalTime HeadlessPlatform::localTime() {
    return date_.at(nowNs());
}

void HeadlessPlatform::setLocalTime(const LocalTime& time) {
    // A date the host clock would refuse leaves the date unchanged, as a refused clock would.
    if (!validLocalTime(time)) return;
    LocalTime t = time;
    t.millisecond = 0;
    date_.set(t, nowNs());
}

std::vector<PlatformEvent> HeadlessPlatform::releaseFrame(uint64_t frame) {
    std::vector<PlatformEvent> released = script_.take(frame);
    for (const PlatformEvent& e : released) {
        holdInput(e, keys_, pads_);
        queue_.push_back(e);
    }
    return released;
}

HeadlessPlatform::Position HeadlessPlatform::position(uint64_t frame) const {
    return {clock_.instructions(), clock_.waitedNs(), keys_, pads_, date_, queue_, answers_, frame};
}

void HeadlessPlatform::restorePosition(const Position& p, const Script& whole) {
    clock_.restore(p.instructions, p.waitedNs);
    keys_ = p.keys;
    pads_ = p.pads;
    date_ = p.date;
    queue_ = p.queue;
    answers_ = p.answers;
    script_ = whole;
    script_.take(p.frame);
}

bool HeadlessPlatform::pollEvent(PlatformEvent& event) {
    if (queue_.empty() && debug_.connected()) debug_.service(0);
    if (queue_.empty()) return false;
    event = queue_.front();
    queue_.pop_front();
    return true;
}

bool HeadlessPlatform::createWindow(const std::string&, int, int,
                                    const std::vector<std::pair<int, int>>&) {
    return true;
}

void HeadlessPlatform::presentWindow(const RgbImage&) {}

void HeadlessPlatform::beginDrag(int, int) {}

void HeadlessPlatform::messageBox(const std::string& text) {
    if (onMessage) {
        onMessage(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

std::optional<std::string> HeadlessPlatform::openFileDialog(const OpenFileRequest& request) {
    if (answers_.empty()) return std::nullopt;
    std::string answer = answers_.front();
    answers_.pop_front();
    if (onDialogAnswer) onDialogAnswer(answer);
    if (answer == "cancel") return std::nullopt;
    // A relative answer is typed into the dialog: it names a file in the folder it shows, unless
    // it names one from the shell's working directory.
    fs::path p = hostFsPath(answer);
    std::error_code ec;
    if (p.is_relative() && !fs::exists(p, ec) && !request.initialDir.empty())
        p = hostFsPath(request.initialDir) / p;
    if (!request.defaultExtension.empty() && !p.has_extension() && !fs::exists(p, ec))
        p += "." + request.defaultExtension;
    return hostPathText(fs::absolute(p, ec));
}

bool HeadlessPlatform::debugConnect(uint32_t target) {
    return debug_.connectTo(target);
}

void HeadlessPlatform::debugSend(uint32_t message, uint32_t first, uint32_t second,
                                 const uint8_t* payload, uint32_t size) {
    debug_.send(message, first, second, payload, size);
}

}  // namespace corvane
