#pragma once
// The descriptor of the window system connection behind an SDL window, so the event loop can
// sleep in poll() on it together with its other descriptors. Kept apart because the window
// system's headers define macros (Expose, None, ...) that clash with ordinary names.

#include <SDL_video.h>

namespace corvane {

// The connection's descriptor, or -1 when the window system offers none we know.
int displayConnectionFd(SDL_Window* window);

// Where the pointer is now, in screen coordinates, asked of the window system itself (SDL's own
// answer may lag behind the last motion). Falls back to SDL's answer elsewhere.
void globalPointer(SDL_Window* window, int& x, int& y);

}  // namespace corvane
