// Face keys and window outline.

#include "shared/face/face_layout.h"

#include "library/keycodes.h"

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

}  // namespace corvane
