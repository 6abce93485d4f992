#pragma once
// A Platform for host tests: a clock moved by hand (or by executed instructions), queued events,
// a settable keyboard, scripted dialog answers, and a record of message boxes, dialogs and
// debugger messages.

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "host/image_io.h"
#include "host/platform.h"

namespace corvane::test {

class FakePlatform : public Platform {
  public:
    uint64_t now = 0;
    uint64_t nsPerInstruction = 100;  // 10 million instructions a second
    uint64_t maxBatch = 1000;
    std::deque<PlatformEvent> events;
    std::array<uint8_t, 256> keys{};
    std::deque<std::optional<std::string>> dialogAnswers;  // empty: cancelled
    std::vector<OpenFileRequest> dialogs;
    std::vector<std::string> messages;
    std::vector<uint32_t> debugMessages;
    std::optional<LocalTime> timeSet;
    bool windowCreated = false;
    bool failWindow = false;
    int presents = 0;
    int drags = 0;

    uint64_t nowNs() override { return now; }
    uint64_t batchBudget(uint64_t deadlineNs) override {
        if (deadlineNs <= now) return 1;
        uint64_t n = (deadlineNs - now + nsPerInstruction - 1) / nsPerInstruction;
        return n < maxBatch ? n : maxBatch;
    }
    void executed(uint64_t count) override { now += count * nsPerInstruction; }
    void waitUntil(uint64_t deadlineNs) override {
        if (deadlineNs > now) now = deadlineNs;
    }
    LocalTime localTime() override { return LocalTime{}; }
    void setLocalTime(const LocalTime& time) override { timeSet = time; }
    bool pollEvent(PlatformEvent& event) override {
        if (events.empty()) return false;
        event = events.front();
        events.pop_front();
        return true;
    }
    const std::array<uint8_t, 256>& keyboardState() override { return keys; }
    bool createWindow(const std::string&, int, int,
                      const std::vector<std::pair<int, int>>&) override {
        windowCreated = !failWindow;
        return windowCreated;
    }
    RgbImage presented;                        // the last image uploaded
    std::vector<RgbImage> presentedAtMessage;  // what the window showed at each message box
    void presentWindow(const RgbImage& image) override {
        ++presents;
        presented = image;
    }
    void beginDrag(int, int) override { ++drags; }
    int beeps = 0;
    void beep() override { ++beeps; }
    Screen screenInfo{};
    std::vector<ViewLayout> views;  // every layout the window was given
    Screen screen() override { return screenInfo; }
    ScreenRect work{};      // the work area (empty: not known)
    ScreenRect windowAt{};  // where the window is on the screen (empty: not known)
    ScreenRect workArea() override { return work; }
    ScreenRect windowRect() override { return windowAt; }
    void setView(const ViewLayout& layout) override { views.push_back(layout); }
    void messageBox(const std::string& text) override {
        messages.push_back(text);
        presentedAtMessage.push_back(presented);
    }
    std::optional<std::string> openFileDialog(const OpenFileRequest& request) override {
        dialogs.push_back(request);
        if (dialogAnswers.empty()) return std::nullopt;
        auto answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    bool debugConnect(uint32_t target) override { return target != 0; }
    void debugSend(uint32_t message, uint32_t, uint32_t, const uint8_t*, uint32_t) override {
        debugMessages.push_back(message);
    }
};

}  // namespace corvane::test
