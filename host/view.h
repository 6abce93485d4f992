#pragma once
// How the window image reaches the screen: in the shaped window at 1x to 4x (every window pixel
// a crisp scale x scale block, the outline and the key hit tests scaled with it), or full screen
// with the whole face or the LCD alone, at the largest integer scale that fits, centred on black.
//
// Platform-neutral: the platform is told the layout and draws what render() gives; pointer
// positions come back through toWindow(). So every size can be captured and tested without a
// display.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/image_io.h"

namespace corvane {

constexpr int kMinScale = 1;
constexpr int kMaxScale = 4;

// What a full screen shows.
enum class FullscreenContent : uint8_t {
    Face,  // the whole handheld
    Lcd,   // the 320 x 160 picture of the LCD alone
};

struct ViewMode {
    int scale = 0;  // 1-4; 0 until chosen (start-up picks one for the screen)
    bool fullscreen = false;
    FullscreenContent content = FullscreenContent::Face;
    bool operator==(const ViewMode&) const = default;
};

// A rectangle of the window image.
struct ViewSource {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ViewSource&) const = default;
};

struct ViewLayout {
    int outputWidth = 0;  // the window's size, or the screen's in full screen
    int outputHeight = 0;
    ViewSource source;  // the part of the window image shown
    int scale = 1;      // output pixels per window pixel, each way
    int left = 0;       // where the source's top-left corner lands in the output
    int top = 0;
    bool fullscreen = false;
    bool operator==(const ViewLayout&) const = default;
};

// The whole window image, and the LCD picture inside it.
ViewSource faceSource();
ViewSource lcdSource();

// The layout of `mode` on a screen of `screenWidth` x `screenHeight` (0 x 0 when not known: a
// full screen then takes the source at the windowed scale). `showFace` forces the whole face even
// for an LCD-only full screen: the menu and the file chooser are drawn over the face and must be
// seen.
ViewLayout layoutFor(const ViewMode& mode, int screenWidth, int screenHeight,
                     bool showFace = false);

// The window-image position of output pixel (x, y); nothing when it lies outside the source
// (the black border of a full screen).
std::optional<std::pair<int, int>> toWindow(const ViewLayout& layout, int x, int y);

// The output picture: black, with the source scaled into place. Rows `firstRow` to
// `firstRow + rows - 1` of the window image only (and the output rows they cover), when given.
void render(const RgbImage& window, const ViewLayout& layout, RgbImage& out);
void renderRows(const RgbImage& window, const ViewLayout& layout, RgbImage& out, int firstRow,
                int rows);

// The output rows that window rows `firstRow` to `firstRow + rows - 1` cover: first and count.
std::pair<int, int> outputRows(const ViewLayout& layout, int firstRow, int rows);

// The scale a window starts at when the user chose none: 1 on an ordinary screen; on a
// high-density one (dpi well above 96) the nearest whole multiple of 96 dpi, as long as the
// window still fits on the screen with room to spare.
int defaultScale(int screenWidth, int screenHeight, double dpi);

// The shape of the scaled window, one byte a pixel (1 inside the outline), rows top-down.
std::vector<uint8_t> windowShape(int scale);

// Settings text of a mode: "1" to "4", and "face" / "lcd".
const char* contentName(FullscreenContent content);
std::optional<FullscreenContent> contentFromName(const std::string& name);

}  // namespace corvane
