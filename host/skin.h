#pragma once
// The handheld's face as the window sees it: the strict hit test over the face keys (their
// rectangles and the window outline are the face layout's), the mouse-held face key, and the
// once-per-frame keyboard scan that turns host keys (Windows virtual-key codes, whatever the
// platform) into the device key codes of the key register.
//
// Platform-neutral: the platform hands in its key states; nothing here draws (window.h does).

#include <array>
#include <cstdint>
#include <optional>

#include "library/keycodes.h"
#include "shared/face/face_layout.h"

namespace corvane {

struct Machine;

// The key under a left click, tested in the window's order: ON/OFF, then the grid, then the
// F-keys. Nothing means the click is on the body and drags the window.
std::optional<FaceKey> faceKeyAt(int x, int y);

// Mouse-held face key and keyboard scan state. One per window; survives program resets.
class Skin {
  public:
    // Left button down at (x, y): presses the face key there and returns it (its rect to be
    // drawn pressed), or returns nothing when the click hits no key (the window is dragged).
    // A press replaces any key still held.
    std::optional<FaceKey> pressAt(int x, int y);

    // Left button up, wherever the pointer is (inside the window or not): releases the held key
    // and returns its rectangle to be drawn released (empty when no key was held). Releasing
    // everywhere keeps a face key from sticking when the button comes up outside the window.
    KeyRect release();

    // Key held with the mouse (rect empty and vk 0 when none).
    const KeyRect& heldRect() const { return heldRect_; }
    uint8_t heldVk() const { return heldVk_; }

    // The frame's keyboard scan: copy the host key-state table to the previous copy, refill it
    // from `platformKeys` (bit 7 = down) plus the mouse-held face key, then, unless a key is
    // pending, register the first newly pressed key (ascending virtual-key order) that has a code
    // under scanKeyToCode (library/keycodes.h): key register = code | 0x80. Returns true when a key
    // was registered.
    bool scan(Machine& machine, const std::array<uint8_t, 256>& platformKeys);

    // The host key-state table as of the scan before the last one.
    const std::array<uint8_t, 256>& previousKeys() const { return previous_; }

  private:
    std::array<uint8_t, 256> previous_{};
    KeyRect heldRect_{};
    uint8_t heldVk_ = 0;
    // A face key pressed since the last scan: a click shorter than a frame still counts once,
    // as the keyboard's latch does for a quick tap.
    uint8_t latchedVk_ = 0;
};

}  // namespace corvane
