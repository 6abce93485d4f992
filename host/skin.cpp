// The face-key hit test and the keyboard scan.

#include "host/skin.h"

#include "library/keycodes.h"
#include "vm/machine.h"

namespace corvane {

std::optional<FaceKey> faceKeyAt(int x, int y) {
    if (kOnOffKey.contains(x, y)) return FaceKey{kOnOffKey, 0};
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            const KeyRect rect = gridKeyRect(r, c);
            if (rect.contains(x, y)) return FaceKey{rect, kGridKeys[size_t(r * kGridColumns + c)]};
        }
    }
    for (int i = 0; i < kFKeyCount; ++i) {
        const KeyRect rect = fKeyRect(i);
        if (rect.contains(x, y)) return FaceKey{rect, uint8_t(vk::kF1 + i)};
    }
    return std::nullopt;
}

std::optional<FaceKey> Skin::pressAt(int x, int y) {
    heldRect_ = {};
    heldVk_ = 0;
    const std::optional<FaceKey> key = faceKeyAt(x, y);
    if (key) {
        heldRect_ = key->rect;
        heldVk_ = key->vk;
        latchedVk_ = key->vk;
    }
    return key;
}

KeyRect Skin::release() {
    const KeyRect rect = heldRect_;
    heldRect_ = {};
    heldVk_ = 0;
    return rect;
}

bool Skin::scan(Machine& machine, const std::array<uint8_t, 256>& platformKeys) {
    previous_ = machine.hostKeys;
    machine.hostKeys = platformKeys;
    // A face key held with the mouse is down exactly like a physical key (the ON/OFF key has no
    // virtual key and sets nothing).
    if (heldVk_ != 0) machine.hostKeys[heldVk_] |= 0x80;
    if (latchedVk_ != 0) machine.hostKeys[latchedVk_] |= 0x80;
    latchedVk_ = 0;

    if (machine.keyRegister & 0x80) return false;
    for (int k = 0; k < 256; ++k) {
        const bool nowDown = machine.hostKeys[size_t(k)] & 0x80;
        const bool wasDown = previous_[size_t(k)] & 0x80;
        if (!nowDown || wasDown) continue;
        const uint8_t code = scanKeyToCode(uint8_t(k));
        if (code == 0) continue;
        machine.keyRegister = uint8_t(code | 0x80);
        return true;
    }
    return false;
}

}  // namespace corvane
