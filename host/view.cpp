// Window sizes, full screens and the scaled picture.

#include "host/view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/lcd.h"
#include "host/skin.h"

namespace corvane {

namespace {

// Room a scaled window leaves on the screen for panels and the title bars of other windows.
constexpr int kScreenMarginX = 32;
constexpr int kScreenMarginY = 96;
// Below this a screen counts as ordinary density.
constexpr double kHighDpi = 144.0;
constexpr double kBaseDpi = 96.0;

int clampScale(int scale) {
    return std::clamp(scale, kMinScale, kMaxScale);
}

}  // namespace

ViewSource faceSource() {
    return {0, 0, kWindowWidth, kWindowHeight};
}

ViewSource lcdSource() {
    // LCD pixel (x, y) is window pixels (54 + 2x, 43 + 2y) and their neighbours.
    return {kLcdImageLeft, kLcdAreaTop, 320, kLcdAreaHeight};
}

ViewLayout layoutFor(const ViewMode& mode, int screenWidth, int screenHeight, bool showFace) {
    ViewLayout layout;
    const int windowScale = clampScale(mode.scale == 0 ? 1 : mode.scale);
    if (!mode.fullscreen) {
        layout.source = faceSource();
        layout.scale = windowScale;
        layout.outputWidth = kWindowWidth * windowScale;
        layout.outputHeight = kWindowHeight * windowScale;
        return layout;
    }
    layout.fullscreen = true;
    layout.source =
        mode.content == FullscreenContent::Lcd && !showFace ? lcdSource() : faceSource();
    if (screenWidth <= 0 || screenHeight <= 0) {
        screenWidth = layout.source.width * windowScale;
        screenHeight = layout.source.height * windowScale;
    }
    layout.outputWidth = screenWidth;
    layout.outputHeight = screenHeight;
    // The largest whole scale that fits; a screen smaller than the source still shows it at 1x,
    // its middle centred.
    layout.scale = std::max(
        1, std::min(screenWidth / layout.source.width, screenHeight / layout.source.height));
    layout.left = (screenWidth - layout.source.width * layout.scale) / 2;
    layout.top = (screenHeight - layout.source.height * layout.scale) / 2;
    return layout;
}

std::optional<std::pair<int, int>> toWindow(const ViewLayout& layout, int x, int y) {
    const int dx = x - layout.left;
    const int dy = y - layout.top;
    if (dx < 0 || dy < 0) return std::nullopt;
    const int wx = dx / layout.scale;
    const int wy = dy / layout.scale;
    if (wx >= layout.source.width || wy >= layout.source.height) return std::nullopt;
    return std::make_pair(layout.source.left + wx, layout.source.top + wy);
}

std::pair<int, int> outputRows(const ViewLayout& layout, int firstRow, int rows) {
    const int from = std::max(firstRow, layout.source.top);
    const int to = std::min(firstRow + rows, layout.source.top + layout.source.height);
    if (to <= from) return {0, 0};
    const int outFirst = layout.top + (from - layout.source.top) * layout.scale;
    const int outEnd = layout.top + (to - layout.source.top) * layout.scale;
    const int clippedFirst = std::max(0, outFirst);
    const int clippedEnd = std::min(layout.outputHeight, outEnd);
    if (clippedEnd <= clippedFirst) return {0, 0};
    return {clippedFirst, clippedEnd - clippedFirst};
}

void renderRows(const RgbImage& window, const ViewLayout& layout, RgbImage& out, int firstRow,
                int rows) {
    if (out.width != layout.outputWidth || out.height != layout.outputHeight) {
        out = RgbImage(layout.outputWidth, layout.outputHeight);  // black
    }
    const ViewSource& s = layout.source;
    const int scale = layout.scale;
    const int from = std::max({firstRow, s.top, 0});
    const int to = std::min({firstRow + rows, s.top + s.height, window.height});
    // Columns of the source that land on the output.
    const int colFirst = std::max(0, (-layout.left + scale - 1) / scale);
    const int colEnd =
        std::min({s.width, (out.width - layout.left + scale - 1) / scale, window.width - s.left});
    if (colEnd <= colFirst) return;
    std::vector<uint8_t> line(size_t(out.width) * 3, 0);
    for (int wy = from; wy < to; ++wy) {
        const int outTop = layout.top + (wy - s.top) * scale;
        // One output row built from the window row, then copied to the others of its block.
        int firstOut = -1;
        for (int r = 0; r < scale; ++r) {
            const int oy = outTop + r;
            if (oy < 0 || oy >= out.height) continue;
            if (firstOut < 0) {
                const uint8_t* src = window.at(s.left + colFirst, wy);
                uint8_t* dst = out.at(0, oy);
                for (int c = colFirst; c < colEnd; ++c, src += 3) {
                    const int ox = layout.left + c * scale;
                    for (int k = 0; k < scale; ++k) {
                        const int x = ox + k;
                        if (x < 0 || x >= out.width) continue;
                        std::memcpy(dst + size_t(x) * 3, src, 3);
                    }
                }
                firstOut = oy;
            } else {
                std::memcpy(out.at(0, oy), out.at(0, firstOut), size_t(out.width) * 3);
            }
        }
    }
}

void render(const RgbImage& window, const ViewLayout& layout, RgbImage& out) {
    out = RgbImage(layout.outputWidth, layout.outputHeight);
    renderRows(window, layout, out, 0, window.height);
}

int defaultScale(int screenWidth, int screenHeight, double dpi) {
    if (!(dpi >= kHighDpi)) return 1;
    int scale = clampScale(int(std::lround(dpi / kBaseDpi)));
    while (scale > 1 && (kWindowWidth * scale > screenWidth - kScreenMarginX ||
                         kWindowHeight * scale > screenHeight - kScreenMarginY))
        --scale;
    return scale;
}

std::vector<uint8_t> windowShape(int scale) {
    scale = clampScale(scale);
    const int w = kWindowWidth * scale;
    const int h = kWindowHeight * scale;
    std::vector<uint8_t> shape(size_t(w) * size_t(h));
    // Each window pixel inside the outline is a whole block: the shape follows the picture.
    for (int y = 0; y < kWindowHeight; ++y) {
        for (int x = 0; x < kWindowWidth; ++x) {
            if (!insideOutline(x, y)) continue;
            for (int r = 0; r < scale; ++r)
                std::memset(&shape[size_t(y * scale + r) * size_t(w) + size_t(x * scale)], 1,
                            size_t(scale));
        }
    }
    return shape;
}

const char* contentName(FullscreenContent content) {
    return content == FullscreenContent::Lcd ? "lcd" : "face";
}

std::optional<FullscreenContent> contentFromName(const std::string& name) {
    if (name == "face") return FullscreenContent::Face;
    if (name == "lcd") return FullscreenContent::Lcd;
    return std::nullopt;
}

}  // namespace corvane
