#pragma once
// How the window fits the screen it is on: the sizes offered are those whose window fits the
// screen's work area (the screen without its panels and task bars), a resized window is moved
// as little as it takes to stay on the work area, and the pop-up menu drawn in the window is
// kept on the part of the window the work area shows.
//
// Platform-neutral: a backend tells the host its work area and where its window is; the
// decisions are made here, so every screen size can be tested without one.

#include "host/view.h"
#include "shared/face/face_layout.h"

namespace corvane {

// A rectangle in the screen's pixels.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const ScreenRect&) const = default;
};

// Whether the window at `scale` fits the work area. 1x always counts as fitting (there is no
// smaller size to offer); every size fits a work area that is not known.
bool scaleFits(int scale, const ScreenRect& work);

// The largest scale from 1 to `wanted` that fits the work area.
int fittingScale(int wanted, const ScreenRect& work);

// Where a window of `width` x `height` goes when it takes that size: its centre stays where the
// centre of `from` was, then it is moved as little as needed to lie on the work area (a window
// larger than the work area keeps its top-left corner on it, where the face's top is). With an
// unknown work area only the centre is kept.
ScreenRect placeWindow(const ScreenRect& from, int width, int height, const ScreenRect& work);

// The window of `width` x `height` centred on the work area.
ScreenRect centreWindow(int width, int height, const ScreenRect& work);

// The part of the window image that lies on the work area, in window-image coordinates, for a
// window shown through `layout` at `window` on the screen. The whole image when the work area
// or the window's place is not known, or in a full screen.
KeyRect visibleWindowPart(const ViewLayout& layout, const ScreenRect& window,
                          const ScreenRect& work);

}  // namespace corvane
