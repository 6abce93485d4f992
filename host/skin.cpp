// Face keys, window outline and the keyboard scan.

#include "host/skin.h"

#include "vm/machine.h"

namespace corvane {

namespace {

constexpr int kFKeyLeft = 181;
constexpr int kFKeyTop = 261;
constexpr int kFKeyStep = 42;
constexpr int kFKeyWidth = 29;
constexpr int kFKeyHeight = 17;

constexpr int kGridLeft = 16;
constexpr int kGridTop = 441;
constexpr int kGridStepX = 42;
constexpr int kGridStepY = 35;
constexpr int kGridKeyWidth = 32;
constexpr int kGridKeyHeight = 26;

std::array<FaceKey, kFaceKeyCount> buildFaceKeys() {
    std::array<FaceKey, kFaceKeyCount> keys{};
    int n = 0;
    keys[n++] = {kOnOffKey, 0};
    for (int i = 0; i < kFKeyCount; ++i) keys[n++] = {fKeyRect(i), uint8_t(vk::kF1 + i)};
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            keys[n++] = {gridKeyRect(r, c), kGridKeys[size_t(r * kGridColumns + c)]};
        }
    }
    return keys;
}

}  // namespace

const std::array<uint8_t, kGridRows* kGridColumns> kGridKeys = {
    'Q',         'W',        'E',         'R',         'T',
    'Y',         'U',        'I',         'O',         'P',  //
    'A',         'S',        'D',         'F',         'G',
    'H',         'J',        'K',         'L',         vk::kEnter,  //
    'Z',         'X',        'C',         'V',         'B',
    'N',         'M',        vk::kPageUp, vk::kUp,     vk::kPageDown,  //
    vk::kF5,     vk::kShift, vk::kF6,     vk::kEscape, '0',
    vk::kDelete, vk::kSpace, vk::kLeft,   vk::kDown,   vk::kRight,
};

const std::array<OutlinePoint, 28> kWindowOutline = {{
    {1, 19},    {5, 14},    {83, 11},   {221, 9},   {342, 10},  {428, 14},  {433, 18},
    {434, 186}, {433, 189}, {433, 285}, {393, 283}, {402, 288}, {435, 289}, {435, 305},
    {430, 308}, {435, 308}, {435, 577}, {431, 580}, {339, 584}, {218, 585}, {78, 584},
    {5, 582},   {2, 578},   {0, 309},   {4, 310},   {5, 308},   {0, 305},   {1, 19},
}};

KeyRect fKeyRect(int i) {
    return {kFKeyLeft + kFKeyStep * i, kFKeyTop, kFKeyWidth, kFKeyHeight};
}

KeyRect gridKeyRect(int row, int column) {
    return {kGridLeft + kGridStepX * column, kGridTop + kGridStepY * row, kGridKeyWidth,
            kGridKeyHeight};
}

const std::array<FaceKey, kFaceKeyCount>& faceKeys() {
    static const std::array<FaceKey, kFaceKeyCount> keys = buildFaceKeys();
    return keys;
}

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

bool insideOutline(int x, int y) {
    // Even-odd rule at the pixel's centre: count the edges a ray to the right crosses.
    const double px = x + 0.5;
    const double py = y + 0.5;
    bool inside = false;
    for (size_t i = 0, j = kWindowOutline.size() - 1; i < kWindowOutline.size(); j = i++) {
        const double xi = kWindowOutline[i].x, yi = kWindowOutline[i].y;
        const double xj = kWindowOutline[j].x, yj = kWindowOutline[j].y;
        if ((yi > py) != (yj > py)) {
            const double crossX = xi + (py - yi) * (xj - xi) / (yj - yi);
            if (px < crossX) inside = !inside;
        }
    }
    return inside;
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
