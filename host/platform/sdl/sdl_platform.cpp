#include "host/platform/sdl/sdl_platform.h"

#include <poll.h>
#include <time.h>

#include <vector>

#include "host/menu.h"
#include "host/platform/sdl/display_connection.h"
#include "host/platform/sdl/keymap.h"
#include "host/platform/sdl/signals.h"
#include "host/skin.h"
#include "host/texts.h"
#include "library/keycodes.h"

namespace corvane {

namespace {

timespec toTimespec(uint64_t ns) {
    timespec ts{};
    ts.tv_sec = time_t(ns / 1'000'000'000u);
    ts.tv_nsec = long(ns % 1'000'000'000u);
    return ts;
}

}  // namespace

bool SdlPlatform::isQuit(const SDL_Event& e) {
    return e.type == SDL_QUIT ||
           (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE);
}

SdlPlatform::SdlPlatform(const Options& options) : DesktopPlatform(options.messageBoxes) {
    debug_.onRecord = [this](const DebugRecord& record) {
        PlatformEvent event;
        event.type = PlatformEvent::Type::DebugResume;
        event.value = int32_t(record.first);
        push(event);
    };
    debug_.onDrop = [this](int fd) { unwatchDescriptor(fd); };
}

SdlPlatform::~SdlPlatform() {
    if (window_) SDL_DestroyWindow(window_);
}

void SdlPlatform::closeWindow() {
    if (!window_) return;
    SDL_DestroyWindow(window_);  // flushed to the display before it returns
    window_ = nullptr;
    // The event loop's end: what the window still had queued goes with it.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void SdlPlatform::watchSocket(int fd, bool watch) {
    // Only the wake-up: the debug server reads the socket between two turns itself.
    if (watch)
        watchDescriptor(fd, [] {});
    else
        unwatchDescriptor(fd);
}

void SdlPlatform::watchDescriptor(int fd, std::function<void()> ready) {
    watched_[fd] = std::move(ready);
}

void SdlPlatform::unwatchDescriptor(int fd) {
    watched_.erase(fd);
}

void SdlPlatform::checkSignal() {
    if (takeQuitSignal()) push(PlatformEvent::Type::Quit);
}

void SdlPlatform::serviceDescriptors(int timeoutMs) {
    if (watched_.empty()) return;
    std::vector<pollfd> fds;
    for (const auto& [fd, ready] : watched_) fds.push_back({fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), timeoutMs) <= 0) return;
    for (const pollfd& p : fds) {
        if (p.revents == 0) continue;
        auto it = watched_.find(p.fd);  // an earlier callback may have removed it
        if (it != watched_.end()) {
            std::function<void()> ready = it->second;
            ready();
        }
    }
}

void SdlPlatform::sleepOrDescriptor(uint64_t deadlineNs, int extraFd) {
    SDL_PumpEvents();
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
    const uint64_t now = nowNs();
    if (now >= deadlineNs) return;
    if (displayFd_ < 0) {
        // No connection to wait on: SDL's own wait, in short steps so descriptors are still seen.
        const uint64_t ms = std::min<uint64_t>((deadlineNs - now + 999'999) / 1'000'000, 10);
        SDL_WaitEventTimeout(nullptr, int(ms));
        serviceDescriptors(0);
        checkSignal();
        return;
    }
    std::vector<pollfd> fds;
    fds.push_back({displayFd_, POLLIN, 0});
    if (quitSignalDescriptor() >= 0) fds.push_back({quitSignalDescriptor(), POLLIN, 0});
    if (extraFd >= 0) fds.push_back({extraFd, POLLIN, 0});
    const size_t firstWatched = fds.size();
    for (const auto& [fd, ready] : watched_) fds.push_back({fd, POLLIN, 0});
    const timespec timeout = toTimespec(deadlineNs - now);
    if (ppoll(fds.data(), fds.size(), &timeout, nullptr) > 0) {
        for (size_t i = firstWatched; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            auto it = watched_.find(fds[i].fd);
            if (it != watched_.end()) {
                std::function<void()> ready = it->second;
                ready();
            }
        }
    }
    checkSignal();
}

void SdlPlatform::waitUntil(uint64_t deadlineNs) {
    checkSignal();
    DesktopPlatform::waitUntil(deadlineNs);
}

void SdlPlatform::fetchEvents() {
    checkSignal();
    serviceDescriptors(0);
    SDL_Event e;
    while (pending_.empty() && SDL_PollEvent(&e)) translate(e);
}

void SdlPlatform::translate(const SDL_Event& e) {
    using T = PlatformEvent::Type;
    if (isQuit(e)) {
        push(T::Quit);
        return;
    }
    if (gamepads_.handle(e, pending_)) return;
    switch (e.type) {
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                repaint();
                push(T::Expose);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) {
                // Captured while held: the release comes to us wherever the pointer is, so a
                // face key never stays down after the button came up outside the window.
                SDL_CaptureMouse(SDL_TRUE);
                leftHeld_ = true;
                push(T::LeftDown, e.button.x, e.button.y);
            } else if (e.button.button == SDL_BUTTON_RIGHT) {
                push(T::RightDown, e.button.x, e.button.y);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) {
                SDL_CaptureMouse(SDL_FALSE);
                leftHeld_ = false;
                if (dragging_) followPointer();
                dragging_ = false;
                push(T::LeftUp, e.button.x, e.button.y);
            }
            break;
        case SDL_MOUSEMOTION:
            if (dragging_) {
                followPointer();
            } else {
                push(T::PointerMove, e.motion.x, e.motion.y);
            }
            break;
        case SDL_KEYDOWN: {
            const uint8_t vk = pcKeyOf(e.key.keysym.scancode);
            if (vk == 0 || e.key.repeat) break;
            if (vk == vk::kEnter && (e.key.keysym.mod & KMOD_ALT)) {
                // A shortcut of the window: the program never sees its Enter.
                latch_.suppress(vk);
                push(T::Command, 0, 0, kCmdFullscreen);
                break;
            }
            if (vk == vk::kF4 && (e.key.keysym.mod & KMOD_ALT)) {
                latch_.pressed(vk);
                push(T::Quit);  // Alt+F4 closes the window
            } else {
                keyDown(vk);
            }
            break;
        }
        case SDL_DROPFILE: {
            PlatformEvent drop;
            drop.type = T::DropFile;
            drop.path = e.drop.file ? e.drop.file : "";
            SDL_free(e.drop.file);
            if (!drop.path.empty()) push(drop);
            break;
        }
        case SDL_KEYUP: {
            const uint8_t vk = pcKeyOf(e.key.keysym.scancode);
            if (vk != 0) keyUp(vk);
            break;
        }
        default:
            break;
    }
}

void SdlPlatform::keysDown(std::array<uint8_t, 256>& down) {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (int sc = 0; sc < count; ++sc) {
        if (!state[sc]) continue;
        if (uint8_t vk = pcKeyOf(SDL_Scancode(sc))) down[vk] = 0x80;
    }
}

bool SdlPlatform::createWindow(const std::string& title, int width, int height,
                               const std::vector<std::pair<int, int>>& outline) {
    // Shaped where the window system can: the shape is set before the window is placed and
    // shown, and the window is drawn through its plain framebuffer (no renderer), which would
    // otherwise recreate the window and lose its shape.
    window_ = SDL_CreateShapedWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                     unsigned(width), unsigned(height),
                                     SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    (void)outline;  // the host's outline; windowShape() fills it by the same rule
    if (window_) {
        shaped_ = true;
        shapeWindow(1);
    } else {
        window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   width, height, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    }
    if (!window_) {
        messageBox(formatText(TextId::MessageNoWindowBecause, {SDL_GetError()}));
        return false;
    }
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    SDL_ShowWindow(window_);

    displayFd_ = displayConnectionFd(window_);
    return true;
}

void SdlPlatform::shapeWindow(int scale) {
    if (!window_ || !shaped_) return;
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    SDL_Surface* mask = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    if (!mask) return;
    const std::vector<uint8_t> shape = scale > 0 ? windowShape(scale) : std::vector<uint8_t>();
    const int shapeWidth = kWindowWidth * scale;
    const int shapeHeight = kWindowHeight * scale;
    SDL_LockSurface(mask);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(mask->pixels) +
                                                size_t(y) * size_t(mask->pitch));
        for (int x = 0; x < w; ++x) {
            const bool inside = scale == 0 || (x < shapeWidth && y < shapeHeight &&
                                               shape[size_t(y) * size_t(shapeWidth) + size_t(x)]);
            row[x] = inside ? 0xFFFFFFFFu : 0u;
        }
    }
    SDL_UnlockSurface(mask);
    SDL_WindowShapeMode mode;
    mode.mode = ShapeModeBinarizeAlpha;
    mode.parameters.binarizationCutoff = 128;
    SDL_SetWindowShape(window_, mask, &mode);  // a refusal leaves it rectangular
    SDL_FreeSurface(mask);
}

Platform::Screen SdlPlatform::screen() {
    Screen s;
    const int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(display, &bounds) == 0) {
        s.width = bounds.w;
        s.height = bounds.h;
    }
    float ddpi = 0;
    if (SDL_GetDisplayDPI(display, &ddpi, nullptr, nullptr) == 0) s.dpi = ddpi;
    return s;
}

ScreenRect SdlPlatform::workArea() {
    const int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) return {};
    return {usable.x, usable.y, usable.w, usable.h};
}

ScreenRect SdlPlatform::windowRect() {
    if (!window_) return {};
    ScreenRect r;
    SDL_GetWindowPosition(window_, &r.left, &r.top);
    SDL_GetWindowSize(window_, &r.width, &r.height);
    return r;
}

void SdlPlatform::setView(const ViewLayout& layout) {
    layout_ = layout;
    if (!window_) return;
    if (layout.fullscreen) {
        // Placed over the whole screen first, so a window manager that ignores the request
        // (or none at all) still shows it there.
        const int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
        SDL_Rect bounds{};
        SDL_GetDisplayBounds(display, &bounds);
        SDL_SetWindowSize(window_, layout.outputWidth, layout.outputHeight);
        SDL_SetWindowPosition(window_, bounds.x, bounds.y);
        shapeWindow(0);
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        const bool wasFullscreen = SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP;
        if (wasFullscreen) SDL_SetWindowFullscreen(window_, 0);
        int oldW = 0, oldH = 0, x = 0, y = 0;
        SDL_GetWindowSize(window_, &oldW, &oldH);
        SDL_GetWindowPosition(window_, &x, &y);
        // The window as made (1x, shaped) is left alone: a start at the described size touches
        // nothing the window system already has.
        if (wasFullscreen || oldW != layout.outputWidth || oldH != layout.outputHeight) {
            SDL_SetWindowSize(window_, layout.outputWidth, layout.outputHeight);
            shapeWindow(layout.scale);
        }
        // A new size keeps the window's centre where it was, as far as the work area lets it;
        // back from a full screen it is centred on the work area again.
        const ScreenRect work = workArea();
        if (wasFullscreen && work.empty()) {
            SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        } else {
            const ScreenRect to = wasFullscreen
                                      ? centreWindow(layout.outputWidth, layout.outputHeight, work)
                                      : placeWindow({x, y, oldW, oldH}, layout.outputWidth,
                                                    layout.outputHeight, work);
            if (wasFullscreen || to.left != x || to.top != y)
                SDL_SetWindowPosition(window_, to.left, to.top);
        }
    }
    scaled_ = RgbImage();
    repaint();  // everything again, through the new layout
}

void SdlPlatform::uploadRows(const RgbImage& image, int firstRow, int rows, bool whole) {
    if (whole) scaled_ = RgbImage();  // black, then the picture
    SDL_Surface* surface = window_ ? SDL_GetWindowSurface(window_) : nullptr;
    if (!surface) return;
    renderRows(image, layout_, scaled_, firstRow, rows);
    auto [outFirst, outRows] = outputRows(layout_, firstRow, rows);
    if (firstRow == 0 && rows >= image.height) {
        outFirst = 0;  // a whole upload includes the black border of a full screen
        outRows = scaled_.height;
    }
    const int w = std::min(scaled_.width, surface->w);
    outRows = std::min(outRows, surface->h - outFirst);
    if (outRows <= 0 || w <= 0) return;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    SDL_ConvertPixels(w, outRows, SDL_PIXELFORMAT_RGB24, scaled_.at(0, outFirst), scaled_.stride(),
                      surface->format->format,
                      static_cast<uint8_t*>(surface->pixels) + size_t(outFirst) * surface->pitch,
                      surface->pitch);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    const SDL_Rect changed{0, outFirst, w, outRows};
    SDL_UpdateWindowSurfaceRects(window_, &changed, 1);
}

void SdlPlatform::beginDrag(int x, int y) {
    // Moved by ourselves, so it works with any window manager and with none. The reference is
    // where the press happened, not where the pointer is by now.
    if (!window_ || !leftHeld_) return;
    dragging_ = true;
    SDL_GetWindowPosition(window_, &dragWindowX_, &dragWindowY_);
    dragMouseX_ = dragWindowX_ + x;
    dragMouseY_ = dragWindowY_ + y;
}

void SdlPlatform::followPointer() {
    int gx = 0, gy = 0;
    globalPointer(window_, gx, gy);
    SDL_SetWindowPosition(window_, dragWindowX_ + gx - dragMouseX_,
                          dragWindowY_ + gy - dragMouseY_);
}

void SdlPlatform::showMessageBox(const std::string& text) {
    // Over the window, drawn in it; SDL's own box only while there is no window to draw in.
    if (!runWindowBox(text))
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "Tivex", text.c_str(), window_);
    // Presses that reached the window while the box was up were meant for the box: a key
    // pressed again meanwhile must not bring the same box back. Releases stay, so no key is
    // left down.
    SDL_PumpEvents();
    for (Uint32 kind : {SDL_KEYDOWN, SDL_TEXTINPUT, SDL_MOUSEBUTTONDOWN}) SDL_FlushEvent(kind);
}

bool SdlPlatform::debugConnect(uint32_t target) {
    if (!debug_.connectTo(target)) return false;
    // Resume requests wake the event loop whether a program runs or the app sleeps.
    watchDescriptor(debug_.fd(), [this] { debug_.service(0); });
    return true;
}

void SdlPlatform::debugSend(uint32_t message, uint32_t first, uint32_t second,
                            const uint8_t* payload, uint32_t size) {
    debug_.send(message, first, second, payload, size);
}

}  // namespace corvane
