#pragma once
// Where things lie on the handheld's face, in window coordinates: the window's size and
// outline, the face keys with their virtual keys, the LCD area and the splash. The host's skin
// and window and the tools that draw the face art all place their pixels by these.

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvane {

constexpr int kWindowWidth = 435;
constexpr int kWindowHeight = 585;

// A key on the face, in window coordinates. A point hits it only when it lies strictly inside:
// left < x < left + width and top < y < top + height (the border itself is no hit).
struct KeyRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool contains(int x, int y) const {
        return left < x && x < left + width && top < y && y < top + height;
    }
    bool empty() const { return width == 0 || height == 0; }
    bool operator==(const KeyRect&) const = default;
};

// A key painted on the face and the host virtual key it stands for (0 for the ON/OFF key).
struct FaceKey {
    KeyRect rect;
    uint8_t vk = 0;
};

constexpr KeyRect kOnOffKey{55, 260, 25, 18};
constexpr int kFKeyCount = 4;
constexpr int kGridRows = 4;
constexpr int kGridColumns = 10;
constexpr int kFaceKeyCount = 1 + kFKeyCount + kGridRows * kGridColumns;  // 45

// Rectangle of F-key i (0-3) and of grid key (row 0-3 from the top, column 0-9).
KeyRect fKeyRect(int i);
KeyRect gridKeyRect(int row, int column);

// Virtual keys of the 40-key grid, entry 10 * row + column.
extern const std::array<uint8_t, kGridRows * kGridColumns> kGridKeys;

// Every face key: the ON/OFF key, the four F-keys, then the grid row by row.
const std::array<FaceKey, kFaceKeyCount>& faceKeys();

// The window outline, 28 vertices in window coordinates (the last repeats the first).
struct OutlinePoint {
    int x;
    int y;
};
extern const std::array<OutlinePoint, 28> kWindowOutline;

// Whether the pixel (x, y) belongs to the shaped window: its centre (x + 0.5, y + 0.5) lies
// inside the outline under the alternate (even-odd) fill rule.
bool insideOutline(int x, int y);

// The part of the face that panels drawn over it (the pop-up menu, the file chooser) stay
// inside: clear of the outline's rounded corners and of the hinge notches on both edges (the
// deepest reaches in to x = 393 beside the LED), so the window's shape never cuts a panel.
constexpr KeyRect kPanelArea{6, 19, 387, 558};
// The face's whole width inside the outline, for panels clear of the notches' rows: a box that
// crosses rows kNotchTop to kNotchBottom - 1 keeps to kPanelArea's columns.
constexpr KeyRect kFaceArea{3, 19, 429, 558};
constexpr int kNotchTop = 281;
constexpr int kNotchBottom = 311;

// The LCD area of the window (377 x 160 at (22, 43)), where the screen is presented.
constexpr int kLcdAreaLeft = 22;
constexpr int kLcdAreaTop = 43;
constexpr int kLcdAreaWidth = 377;
constexpr int kLcdAreaHeight = 160;

// The idle picture drawn over the LCD area while no program runs.
constexpr int kSplashWidth = 377;
constexpr int kSplashHeight = 160;

}  // namespace corvane
