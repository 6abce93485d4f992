#pragma once
// Device key codes (the 7-bit codes under which programs see the handheld's keys) and the
// mappings between them and host virtual-key codes. CheckKey and ReleaseKey use
// codeToHostKey/hostKeyToCode; the host's keyboard scan uses scanKeyToCode, which differs only
// in that the Delete key, not the full-stop key, produces the full stop.

#include <cstdint>

namespace corvane {

// Host virtual-key codes that the handheld's keys are mapped to.
namespace vk {
constexpr uint8_t kShift = 0x10;
constexpr uint8_t kEnter = 0x0D;
constexpr uint8_t kEscape = 0x1B;
constexpr uint8_t kSpace = 0x20;
constexpr uint8_t kPageUp = 0x21;
constexpr uint8_t kPageDown = 0x22;
constexpr uint8_t kLeft = 0x25;
constexpr uint8_t kUp = 0x26;
constexpr uint8_t kRight = 0x27;
constexpr uint8_t kDown = 0x28;
constexpr uint8_t kDelete = 0x2E;
constexpr uint8_t kDigit0 = 0x30;
constexpr uint8_t kF1 = 0x70;
constexpr uint8_t kF4 = 0x73;
constexpr uint8_t kF5 = 0x74;
constexpr uint8_t kF6 = 0x75;
constexpr uint8_t kFullStop = 0xBE;
}  // namespace vk

// Device key codes that are not printable letters or digits.
namespace key {
constexpr uint8_t kPageDown = 0x0E;
constexpr uint8_t kEnter = 0x0D;
constexpr uint8_t kF6 = 0x12;
constexpr uint8_t kPageUp = 0x13;
constexpr uint8_t kUp = 0x14;
constexpr uint8_t kDown = 0x15;
constexpr uint8_t kRight = 0x16;
constexpr uint8_t kLeft = 0x17;
constexpr uint8_t kF5 = 0x19;
constexpr uint8_t kShift = 0x1A;
constexpr uint8_t kEscape = 0x1B;
constexpr uint8_t kF1 = 0x1C;
constexpr uint8_t kF4 = 0x1F;
constexpr uint8_t kSpace = 0x20;
constexpr uint8_t kFullStop = 0x2E;
constexpr uint8_t kZero = 0x30;
}  // namespace key

// The digit keys 1-9 of the host keyboard stand in for these letter keys of the handheld.
constexpr char kDigitKeyLetters[10] = "bnmghjtyu";

// The host key tested for a device key code; 0 when the code has no host key.
constexpr uint8_t codeToHostKey(uint8_t code) {
    if (code >= 'a' && code <= 'z') return uint8_t(code & ~0x20);
    if (code >= key::kF1 && code <= key::kF4) return uint8_t(code + 0x54);
    switch (code) {
        case key::kUp:
            return vk::kUp;
        case key::kDown:
            return vk::kDown;
        case key::kRight:
            return vk::kRight;
        case key::kLeft:
            return vk::kLeft;
        case key::kPageUp:
            return vk::kPageUp;
        case key::kPageDown:
            return vk::kPageDown;
        case key::kFullStop:
            return vk::kFullStop;
        case key::kZero:
        case key::kSpace:
        case key::kEnter:
        case key::kEscape:
            return code;
        case key::kShift:
            return vk::kShift;
        case key::kF5:
            return vk::kF5;
        case key::kF6:
            return vk::kF6;
        default:
            return 0;
    }
}

// The device key code of a host key as CheckKey sees it (the full-stop key gives the full
// stop); 0 when the key has no code.
constexpr uint8_t hostKeyToCode(uint8_t hostKey) {
    if (hostKey >= 'A' && hostKey <= 'Z') return uint8_t(hostKey | 0x20);
    if (hostKey >= vk::kF1 && hostKey <= vk::kF4) return uint8_t(hostKey - 0x54);
    if (hostKey >= '1' && hostKey <= '9') return uint8_t(kDigitKeyLetters[hostKey - '1']);
    switch (hostKey) {
        case vk::kLeft:
            return key::kLeft;
        case vk::kUp:
            return key::kUp;
        case vk::kRight:
            return key::kRight;
        case vk::kDown:
            return key::kDown;
        case vk::kPageUp:
            return key::kPageUp;
        case vk::kPageDown:
            return key::kPageDown;
        case vk::kFullStop:
            return key::kFullStop;
        case vk::kDigit0:
        case vk::kSpace:
        case vk::kEnter:
        case vk::kEscape:
            return hostKey;
        case vk::kShift:
            return key::kShift;
        case vk::kF5:
            return key::kF5;
        case vk::kF6:
            return key::kF6;
        default:
            return 0;
    }
}

// The device key code the keyboard scan registers for a newly pressed host key: as
// hostKeyToCode, except that the Delete key gives the full stop and the full-stop key nothing.
constexpr uint8_t scanKeyToCode(uint8_t hostKey) {
    if (hostKey == vk::kDelete) return key::kFullStop;
    if (hostKey == vk::kFullStop) return 0;
    return hostKeyToCode(hostKey);
}

}  // namespace corvane
