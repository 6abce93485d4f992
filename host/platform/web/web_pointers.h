#pragma once
// Pointers on the page's picture of the window (mouse, pen, fingers) turned into the host's
// events. A mouse is the desktop's mouse: the left button presses face keys and chooses menu
// items, the right button opens the pop-up menu. A finger on a face key presses it at once; the
// first finger goes through the host as a left press (the host draws the key pressed), every
// further finger on a face key holds that key's virtual key as a PC key would, so several keys can
// be held together, and has its key drawn pressed until the last finger on it lets go. A finger
// held still on the body for half a second opens the menu.

#include <cstdint>
#include <functional>
#include <map>

#include "host/platform.h"
#include "shared/face/face_layout.h"

namespace corvane {

// How long a finger rests on the body before the menu opens, and how far it may wander.
constexpr uint64_t kLongPressNs = 500'000'000;
constexpr int kLongPressSlop = 8;

class WebPointers {
  public:
    enum class Kind : uint8_t { Mouse, Touch };

    struct Sink {
        // A host event at window-image position (x, y), the platform turns it into its view's.
        std::function<void(PlatformEvent::Type, int x, int y)> event;
        // A face key held (down) or let go by a further finger.
        std::function<void(uint8_t vk, bool down)> key;
        // Whether the pop-up menu is open: then every touch goes to it.
        std::function<bool()> menuOpen;
        // A further finger's key to be drawn pressed or released (may be empty).
        std::function<void(const KeyRect& rect, bool pressed)> draw;
    };

    explicit WebPointers(Sink sink) : sink_(std::move(sink)) {}

    // Window-image positions; `button` 0 is the main button, 2 the secondary.
    void down(int id, Kind kind, int button, int x, int y, uint64_t nowNs);
    void move(int id, int x, int y);
    void up(int id, int x, int y);
    // The browser took the pointer away (a gesture, the page hidden): as a release.
    void cancel(int id);
    // Opens the menu for a finger that has rested long enough.
    void tick(uint64_t nowNs);
    // Every pointer let go (the page lost the focus).
    void releaseAll();
    // Whether a finger rests on the body, waiting to become a long press.
    bool resting() const;

  private:
    enum class Role : uint8_t {
        Primary,    // went through the host as a left press
        Resting,    // a finger on the body: may become a long press
        Spent,      // opened the menu, or wandered off: its release means nothing
        ExtraKey,   // a further finger holding a face key
        Secondary,  // the mouse's right button
    };
    struct Pointer {
        Role role = Role::Spent;
        int startX = 0, startY = 0;
        uint64_t startNs = 0;
        KeyRect rect;  // the face key under the finger as it went down (empty: none)
        uint8_t vk = 0;
    };
    bool primaryHeld() const;
    // Whether a finger holds the face key of `vk`.
    bool keyHeld(uint8_t vk) const;

    Sink sink_;
    std::map<int, Pointer> pointers_;
};

}  // namespace corvane
