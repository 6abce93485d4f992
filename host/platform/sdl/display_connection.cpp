#include "host/platform/sdl/display_connection.h"

#include <SDL_mouse.h>
#include <SDL_syswm.h>

namespace corvane {

int displayConnectionFd(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info)) return -1;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11) return ConnectionNumber(info.info.x11.display);
#endif
    return -1;
}

void globalPointer(SDL_Window* window, int& x, int& y) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
#if defined(SDL_VIDEO_DRIVER_X11)
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        Window root = 0, child = 0;
        int wx = 0, wy = 0;
        unsigned int mask = 0;
        if (XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &x, &y, &wx,
                          &wy, &mask))
            return;
    }
#endif
    SDL_GetGlobalMouseState(&x, &y);
}

}  // namespace corvane
