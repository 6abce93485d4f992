#pragma once
// The Platform of the browser: the window image on a <canvas>, the page's keyboard and pointers,
// messages over the page, the browser's file picker, and a clock the page's frame callback
// drives (host/platform/web/web_loop.h).
//
// Two clocks. Real time: the callback sets the clock before each slice; waiting is the
// callback's to do (it returns to the browser), so waitUntil only notes the deadline. Virtual
// time (the page's test hook): exactly the runner's, each instruction a 1/ips s step and each
// wait a jump to its deadline, with scripted keys at given frames, so a run in the page is the
// same run as corvane-run's, frame for frame.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "host/desktop_platform.h"
#include "host/instruction_clock.h"
#include "host/platform.h"
#include "host/platform/headless/script.h"
#include "host/platform/web/web_pointers.h"
#include "host/virtual_date.h"

namespace corvane {

class WebPlatform : public Platform {
  public:
    struct Options {
        bool virtualTime = false;
        uint64_t instructionsPerSecond = 10'000'000;  // virtual time only
        LocalTime startDate;                          // virtual time only; else the browser's
    };

    explicit WebPlatform(const Options& options);

    bool virtualTime() const { return options_.virtualTime; }
    Script& script() { return script_; }
    // Virtual time: frame `frame` begins, its scripted events enter the queue and its keys show.
    void releaseFrame(uint64_t frame);
    bool scriptPending() const { return !script_.empty(); }

    // Real time: the clock reads `ns` until set again.
    void setClock(uint64_t ns) { now_ = ns; }
    // Real time: the deadline of the last wait (the callback sleeps until then).
    uint64_t wakeNs() const { return wake_; }
    // Nanoseconds of the page's monotonic clock.
    static uint64_t pageNs();

    // --- the page's input ---
    // A key went down or up: KeyboardEvent.code, the key's character (0: none) and whether Alt
    // was held. Returns whether the key is one of the host's (the page then keeps it from the
    // browser). Alt+Enter is the full-screen command, as on the desktop.
    bool key(bool down, const std::string& code, uint32_t character, bool alt = false);
    // The page lost the focus: every key and pointer let go.
    void releaseAll();
    WebPointers& pointers() { return pointers_; }
    // A file chosen or dropped on the page, already written to `path`.
    void dropFile(const std::string& path);
    // Whether the pop-up menu is open (the pointers route touches to it).
    void setMenuOpen(std::function<bool()> open) { menuOpen_ = std::move(open); }
    // Draws a face key pressed or released: further fingers' keys, which the host's single
    // mouse-held key does not cover.
    void setKeyDrawer(std::function<void(const KeyRect&, bool)> draw) {
        drawKey_ = std::move(draw);
    }
    // The page left full screen by the browser's own way (Esc, a refused request): the host's
    // full-screen mode follows, so its menu item's tick stays true.
    void fullscreenLeft();
    // Set by input that may have changed settings or files; cleared by the caller.
    bool takeInputSeen();

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
    const std::array<uint8_t, 256>& keyboardState() override;
    bool createWindow(const std::string& title, int width, int height,
                      const std::vector<std::pair<int, int>>& outline) override;
    void presentWindow(const RgbImage& image) override;
    void beginDrag(int x, int y) override;
    void setView(const ViewLayout& layout) override;
    void messageBox(const std::string& text) override;
    std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
    void fileSaved(const std::string& file) override;
    void beep() override;
    bool debugConnect(uint32_t target) override;
    void debugSend(uint32_t message, uint32_t first, uint32_t second, const uint8_t* payload,
                   uint32_t size) override;

  private:
    void push(PlatformEvent::Type type, int x = 0, int y = 0, uint32_t code = 0);
    // A pointer event at a window-image position, handed on in the view's output pixels.
    void pointerEvent(PlatformEvent::Type type, int x, int y);
    void uploadWhole();

    Options options_;
    std::deque<PlatformEvent> queue_;
    VirtualDate date_;
    uint64_t now_ = 0;
    uint64_t wake_ = 0;
    InstructionClock clock_;  // virtual time, as the runner counts it
    Script script_;
    std::array<uint8_t, 256> scripted_{};

    // How many keyboard keys and extra fingers hold each virtual key now.
    std::array<uint8_t, 256> holders_{};
    std::array<uint8_t, 256> down_{};
    std::map<std::string, uint8_t> heldCodes_;  // the key each held KeyboardEvent.code gave
    KeyLatch latch_;
    WebPointers pointers_;
    std::function<bool()> menuOpen_;
    std::function<void(const KeyRect&, bool)> drawKey_;
    bool inputSeen_ = false;

    ViewLayout layout_;
    const RgbImage* shown_ = nullptr;
    ChangedRows changed_;
};

}  // namespace corvane
