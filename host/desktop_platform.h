#pragma once
// What every desktop window does the same way, whatever draws it: the batch of instructions
// between two looks at the clock, how often the event queue is looked at while a program runs,
// the keyboard latch, which rows of the window image go to the window system, and message boxes
// echoed on stderr. A desktop backend derives from this and only translates: it fetches its
// events into the queue, reports the keys down now, uploads rows of pixels and shows a box.

#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "host/image_io.h"
#include "host/platform.h"

namespace corvane {

// Instructions between two looks at the clock and the queue: a few microseconds of work.
constexpr uint64_t kDesktopBatch = 8192;
// While a program runs, the event queue is looked at no more often than this.
constexpr uint64_t kPumpIntervalNs = 1'000'000;

// The rows of a window image that differ from what the window system was last given.
class ChangedRows {
  public:
    struct Span {
        int first = 0;
        int rows = 0;        // 0: nothing changed
        bool whole = false;  // the image is new (another size, or forgotten): all of it
    };
    // Compares `image` with the last one and remembers it.
    Span update(const RgbImage& image);
    // The next update uploads everything (the window was resized or shown anew).
    void forget() { last_ = RgbImage(); }

  private:
    RgbImage last_;
};

// Keys down now, plus keys that went down since the last scan even if already up again: a quick
// tap between two frames still counts as pressed once. A key that made a window shortcut stays
// out of the state until it is released.
class KeyLatch {
  public:
    void pressed(uint8_t vk) { latched_[vk] = true; }
    void released(uint8_t vk) { suppressed_[vk] = false; }
    void suppress(uint8_t vk) { suppressed_[vk] = true; }
    // The scan: `down` (bit 7 = down now) merged with the latch, which is emptied.
    const std::array<uint8_t, 256>& scan(const std::array<uint8_t, 256>& down);

  private:
    std::array<uint8_t, 256> keys_{};
    std::array<bool, 256> latched_{};
    std::array<bool, 256> suppressed_{};
};

// Whether message boxes are shown: not with CORVANE_NO_MESSAGE_BOXES=1 (texts on stderr only).
bool desktopMessageBoxes();

class DesktopPlatform : public Platform {
  public:
    explicit DesktopPlatform(bool messageBoxes) : messageBoxes_(messageBoxes) {}

    // --- RunClock ---
    uint64_t batchBudget(uint64_t) override { return kDesktopBatch; }
    void executed(uint64_t) override {}

    // --- Platform ---
    // Sleeps (unless events wait already); the queue is looked at at once afterwards.
    void waitUntil(uint64_t deadlineNs) override;
    bool pollEvent(PlatformEvent& event) override;
    const std::array<uint8_t, 256>& keyboardState() override;
    // Uploads the rows that changed since the last upload: a frame usually changes the LCD area
    // alone, and often nothing at all.
    void presentWindow(const RgbImage& image) override;
    // Said on stderr first, so a box nobody sees (or one turned off) still leaves its text.
    // Presses and commands the window was handed while the box was up are dropped (releases
    // stay): they were meant for the box.
    void messageBox(const std::string& text) override;

  protected:
    // --- what the backend translates ---
    // Moves waiting window-system events into the queue; stops once one gave an event.
    virtual void fetchEvents() = 0;
    // Sleeps until a window-system event or the deadline.
    virtual void sleepUntil(uint64_t deadlineNs) = 0;
    // The keys down now, by virtual-key code (bit 7).
    virtual void keysDown(std::array<uint8_t, 256>& down) = 0;
    // Rows [first, first + rows) of `image` to the window; `whole` when all of it is new.
    virtual void uploadRows(const RgbImage& image, int first, int rows, bool whole) = 0;
    // The box itself: the caption "Tivex", an exclamation icon and an OK button.
    virtual void showMessageBox(const std::string& text) = 0;

    // Events for the host, as the backend translated them.
    void push(PlatformEvent::Type type, int x = 0, int y = 0, uint32_t code = 0);
    void push(const PlatformEvent& event) { pending_.push_back(event); }
    // A key went down (auto-repeats excluded) or up: the latch and the host's event.
    void keyDown(uint8_t vk);
    void keyUp(uint8_t vk);
    // The image as last presented (the host's own), for repainting an exposed window.
    const RgbImage* shown() const { return shown_; }
    // Uploads all of `image` (a dialog drawn over the face, or the face again after it) and
    // remembers it as uploaded.
    void uploadWhole(const RgbImage& image);
    // All of the image as last presented, when there is one (an exposed or resized window).
    void repaint() {
        if (shown_) uploadWhole(*shown_);
    }

    std::deque<PlatformEvent> pending_;
    KeyLatch latch_;

  private:
    bool messageBoxes_;
    const RgbImage* shown_ = nullptr;
    ChangedRows changed_;
    std::array<uint8_t, 256> down_{};
    uint64_t lastPumpNs_ = 0;
    bool moreQueued_ = false;
};

}  // namespace corvane
