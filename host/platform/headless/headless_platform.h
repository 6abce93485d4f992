#pragma once
// The Platform of the headless runner: no window, time that is virtual by default, scripted input,
// scripted answers to the file dialogs, message boxes on stderr.
//
// Virtual time: each instruction advances the clock by 1/ips s; when nothing can happen before a
// deadline (a Delay, a wait for a key, a paused machine, no program), waiting moves the clock
// straight to it, so frames keep counting and no run depends on the speed of the host. Real time
// (--realtime) uses the monotonic clock and sleeps. Either way the local date starts at a given
// date and moves with the clock; SetTime moves only that date.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "host/instruction_clock.h"
#include "host/platform.h"
#include "host/platform/headless/script.h"
#include "host/virtual_date.h"
#include "shared/debuglink.h"

namespace corvane {

class HeadlessPlatform : public Platform {
  public:
    struct Options {
        bool realtime = false;
        uint64_t instructionsPerSecond = 10'000'000;
        LocalTime startDate;  // 2004-01-01 00:00:00 by default
        int wakeFd = -1;      // readable: every wait ends at once (the interrupt signals' pipe)
        Screen screen{1920, 1080, 96};  // what a full screen fills
    };

    explicit HeadlessPlatform(const Options& options);

    Script& script() { return script_; }
    // Where message boxes go when set (the debug server's console), instead of stderr.
    std::function<void(const std::string&)> onMessage;
    void addDialogAnswer(const std::string& answer) { answers_.push_back(answer); }
    // Told each answer a file dialog takes (the input log records them).
    std::function<void(const std::string&)> onDialogAnswer;

    // Frame `frame` begins: its scripted events enter the queue and its key and gamepad presses
    // and releases show in the keyboard state and the buttons held.
    // Returns the events released.
    std::vector<PlatformEvent> releaseFrame(uint64_t frame);
    // Whether scripted events are still to come or still waiting in the queue.
    bool inputPending() const { return !script_.empty() || !queue_.empty(); }
    // Whether events (a debugger's resume request among them) wait in the queue now.
    bool eventsQueued() const { return !queue_.empty(); }

    // Whether a debugger is connected; while it is, a paused machine can still be resumed.
    bool debuggerLinked() const { return debug_.connected(); }
    // Blocks until the debugger sends something (or goes away); its resume requests are queued.
    void waitForDebugger() { debug_.service(-1, options_.wakeFd); }

    // Where the platform stands in a run, for the debugger's reverse execution: the virtual
    // clock, the keys held, the queued events and dialog answers, and the last frame whose
    // scripted events were released.
    struct Position {
        uint64_t instructions = 0;
        uint64_t waitedNs = 0;
        std::array<uint8_t, 256> keys{};
        uint32_t pads = 0;
        VirtualDate date;
        std::deque<PlatformEvent> queue;
        std::deque<std::string> answers;
        uint64_t frame = 0;
    };
    Position position(uint64_t frame) const;
    // Back to `position`; `whole` is the script the run started with, of which the events after
    // the position's frame are still to come.
    void restorePosition(const Position& position, const Script& whole);

    // A loaded save state holds these keys down, as the run it was saved from did.
    void setKeyboardState(const std::array<uint8_t, 256>& keys) { keys_ = keys; }

    // --- RunClock ---
    uint64_t nowNs() override;
    uint64_t batchBudget(uint64_t deadlineNs) override;
    void executed(uint64_t count) override;

    // --- Platform ---
    void waitUntil(uint64_t deadlineNs) override;
    LocalTime localTime() override;
    void setLocalTime(const LocalTime& time) override;
    std::optional<int64_t> virtualDateNs() override { return date_.nsAt(nowNs()); }
    void restoreVirtualDate(int64_t dateNs) override { date_.setNs(dateNs, nowNs()); }
    bool pollEvent(PlatformEvent& event) override;
    const std::array<uint8_t, 256>& keyboardState() override { return keys_; }
    uint32_t gamepadButtons() override { return pads_; }
    bool createWindow(const std::string& title, int width, int height,
                      const std::vector<std::pair<int, int>>& outline) override;
    void presentWindow(const RgbImage& image) override;
    bool showsWindow() const override { return false; }
    void beginDrag(int x, int y) override;
    Screen screen() override { return options_.screen; }
    void messageBox(const std::string& text) override;
    std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
    bool debugConnect(uint32_t target) override;
    void debugSend(uint32_t message, uint32_t first, uint32_t second, const uint8_t* payload,
                   uint32_t size) override;

  private:
    Options options_;
    Script script_;
    std::deque<PlatformEvent> queue_;
    std::deque<std::string> answers_;
    std::array<uint8_t, 256> keys_{};
    uint32_t pads_ = 0;
    VirtualDate date_;
    DebugChannel debug_{{kDebugMsgResume}};

    InstructionClock clock_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace corvane
