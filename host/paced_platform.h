#pragma once
// The window while it records an input log: the program runs on the runner's virtual clock,
// paced to real time, and takes the window's input only at frame starts, so that
// `corvane-run --replay` makes the same run again, instruction for instruction.
//
// PacedPlatform wraps the window's own platform. Time is counted in instructions (as the
// runner's), and a frame starts no earlier than real time allows: the program never runs ahead
// of the clock on the wall; on a host too slow for it (or after a modal dialog) it goes on from
// where it is, slower, rather than racing to catch up. The input the log keeps (keys, clicks,
// commands, dropped files, pads, the window's closing) is held until the next frame start and
// released there, and the keys and pad buttons the program sees are those the released events
// leave down, as in the runner. Everything else (painting, dialogs, message boxes, the window's
// shape) goes straight to the window's platform.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "host/instruction_clock.h"
#include "host/platform.h"
#include "host/virtual_date.h"

namespace corvane {

// How far behind real time the paced clock may fall and still catch up: a frame or two of a
// busy host's jitter. Beyond it, the program goes on from the real time now.
constexpr uint64_t kPaceSlackNs = 50'000'000;

// When a moment of the virtual clock may come in real time.
class RealTimePacer {
  public:
    // The real time (of the real clock) at which virtual time `virtualNs` is due, given the
    // real time now. The first call ties the two clocks together at once; a moment more than
    // kPaceSlackNs late ties them again at now, so lost time is never made up.
    uint64_t dueAt(uint64_t virtualNs, uint64_t realNowNs);

  private:
    bool anchored_ = false;
    int64_t offsetNs_ = 0;  // real time minus virtual time
};

class PacedPlatform : public Platform {
  public:
    // `window` is the window's own platform; the virtual clock counts `instructionsPerSecond`.
    PacedPlatform(Platform& window, uint64_t instructionsPerSecond);

    // The rate of the clock, while nothing has run yet.
    void setRate(uint64_t instructionsPerSecond);
    uint64_t rate() const { return ips_; }
    // The local date at the start, whole seconds (the log keeps it so).
    const LocalTime& startDate() const { return startDate_; }

    // Frame `frame` begins: waits until real time has come to it, then releases the input held
    // so far (the events enter the queue, and the keys and pads show in the state). Returns the
    // events released. A release (of a key, a button, a pad button) whose press comes in the
    // same release waits for the next frame, with all after it: a quick tap is seen down for a
    // frame, as the window's key latch would show it.
    std::vector<PlatformEvent> releaseFrame(uint64_t frame);
    // Told each answer a file dialog takes: the chosen path, or "cancel".
    std::function<void(const std::string&)> onDialogAnswer;

    // --- RunClock ---
    uint64_t nowNs() override { return clock_.nowNs(); }
    uint64_t batchBudget(uint64_t deadlineNs) override { return clock_.budgetTo(deadlineNs); }
    void executed(uint64_t count) override { clock_.executed(count); }

    // --- Platform ---
    // The virtual clock moves straight to the deadline; the real wait comes at the frame start.
    void waitUntil(uint64_t deadlineNs) override { clock_.waitUntil(deadlineNs); }
    LocalTime localTime() override { return date_.at(nowNs()); }
    void setLocalTime(const LocalTime& time) override;
    std::optional<int64_t> virtualDateNs() override { return date_.nsAt(nowNs()); }
    void restoreVirtualDate(int64_t dateNs) override { date_.setNs(dateNs, nowNs()); }
    bool pollEvent(PlatformEvent& event) override;
    const std::array<uint8_t, 256>& keyboardState() override { return keys_; }
    uint32_t gamepadButtons() override { return pads_; }
    bool createWindow(const std::string& title, int width, int height,
                      const std::vector<std::pair<int, int>>& outline) override {
        return window_.createWindow(title, width, height, outline);
    }
    void presentWindow(const RgbImage& image) override { window_.presentWindow(image); }
    bool showsWindow() const override { return window_.showsWindow(); }
    void beginDrag(int x, int y) override { window_.beginDrag(x, y); }
    Screen screen() override { return window_.screen(); }
    ScreenRect workArea() override { return window_.workArea(); }
    ScreenRect windowRect() override { return window_.windowRect(); }
    void setView(const ViewLayout& layout) override { window_.setView(layout); }
    void closeWindow() override { window_.closeWindow(); }
    void watchSocket(int fd, bool watch) override { window_.watchSocket(fd, watch); }
    void useFonts(const FontTables* fonts) override { window_.useFonts(fonts); }
    void messageBox(const std::string& text) override { window_.messageBox(text); }
    std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
    void fileSaved(const std::string& file) override { window_.fileSaved(file); }
    void beep() override { window_.beep(); }
    bool debugConnect(uint32_t target) override { return window_.debugConnect(target); }
    void debugSend(uint32_t message, uint32_t first, uint32_t second, const uint8_t* payload,
                   uint32_t size) override {
        window_.debugSend(message, first, second, payload, size);
    }

  private:
    // Takes what the window has: input the log keeps is held, the rest passes.
    void takeWindowEvents();

    Platform& window_;
    uint64_t ips_;
    InstructionClock clock_;
    RealTimePacer pacer_;
    VirtualDate date_;
    LocalTime startDate_;
    std::deque<PlatformEvent> held_;     // input waiting for the next frame start
    std::deque<PlatformEvent> passing_;  // the window's own events (painting), in order
    std::deque<PlatformEvent> queue_;    // input released, for the app
    std::array<uint8_t, 256> keys_{};
    uint32_t pads_ = 0;
};

}  // namespace corvane
