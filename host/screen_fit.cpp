// Window sizes that fit the screen, the window's place on it and the part of it shown.

#include "host/screen_fit.h"

#include <algorithm>

namespace corvane {

namespace {

// Moves `at` (the near edge of a span of `size`) as little as needed to lie within `from` to
// `from + room`; a span longer than the room starts where the room starts.
int keepWithin(int at, int size, int from, int room) {
    return std::max(from, std::min(at, from + room - size));
}

}  // namespace

bool scaleFits(int scale, const ScreenRect& work) {
    if (scale <= kMinScale || work.empty()) return true;
    return kWindowWidth * scale <= work.width && kWindowHeight * scale <= work.height;
}

int fittingScale(int wanted, const ScreenRect& work) {
    int scale = std::clamp(wanted, kMinScale, kMaxScale);
    while (!scaleFits(scale, work)) --scale;
    return scale;
}

ScreenRect placeWindow(const ScreenRect& from, int width, int height, const ScreenRect& work) {
    ScreenRect to{from.left + (from.width - width) / 2, from.top + (from.height - height) / 2,
                  width, height};
    if (work.empty()) return to;
    to.left = keepWithin(to.left, width, work.left, work.width);
    to.top = keepWithin(to.top, height, work.top, work.height);
    return to;
}

ScreenRect centreWindow(int width, int height, const ScreenRect& work) {
    return {work.left + (work.width - width) / 2, work.top + (work.height - height) / 2, width,
            height};
}

KeyRect visibleWindowPart(const ViewLayout& layout, const ScreenRect& window,
                          const ScreenRect& work) {
    const KeyRect whole{0, 0, kWindowWidth, kWindowHeight};
    if (layout.fullscreen || window.empty() || work.empty() || layout.scale < 1) return whole;
    const int left = std::max(window.left, work.left);
    const int top = std::max(window.top, work.top);
    const int right = std::min(window.left + window.width, work.left + work.width);
    const int bottom = std::min(window.top + window.height, work.top + work.height);
    if (right <= left || bottom <= top) return whole;  // off the screen: nothing better to offer
    // Whole window pixels only: a pixel half on the screen is not one to click.
    const int s = layout.scale;
    const int x0 = std::clamp((left - window.left + s - 1) / s, 0, kWindowWidth);
    const int y0 = std::clamp((top - window.top + s - 1) / s, 0, kWindowHeight);
    const int x1 = std::clamp((right - window.left) / s, 0, kWindowWidth);
    const int y1 = std::clamp((bottom - window.top) / s, 0, kWindowHeight);
    if (x1 <= x0 || y1 <= y0) return whole;
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace corvane
