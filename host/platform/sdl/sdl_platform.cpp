#include "host/platform/sdl/sdl_platform.h"

#include <poll.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include "host/chooser.h"
#include "host/menu.h"
#include "host/platform/sdl/display_connection.h"
#include "host/platform/sdl/external_dialog.h"
#include "host/platform/sdl/keymap.h"
#include "host/platform/sdl/signals.h"
#include "host/skin.h"
#include "library/keycodes.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

// Instructions between two looks at the clock and the queue: a few microseconds of work.
constexpr uint64_t kBatch = 8192;
// While a program runs, the event queue is looked at no more often than this.
constexpr auto kPumpInterval = std::chrono::milliseconds(1);
// How long a modal dialog sleeps at most between two looks at its child or its events.
constexpr uint64_t kModalWaitNs = 100'000'000;

timespec toTimespec(uint64_t ns) {
    timespec ts{};
    ts.tv_sec = time_t(ns / 1'000'000'000u);
    ts.tv_nsec = long(ns % 1'000'000'000u);
    return ts;
}

PlatformEvent makeEvent(PlatformEvent::Type type, int x = 0, int y = 0, uint32_t code = 0) {
    PlatformEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.code = code;
    return e;
}

bool isQuit(const SDL_Event& e) {
    return e.type == SDL_QUIT ||
           (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE);
}

}  // namespace

SdlPlatform::SdlPlatform(const Options& options) : options_(options) {
    debug_.onRecord = [this](const DebugRecord& record) {
        PlatformEvent event;
        event.type = PlatformEvent::Type::DebugResume;
        event.value = int32_t(record.first);
        pending_.push_back(event);
    };
    debug_.onDrop = [this](int fd) { unwatchDescriptor(fd); };
}

SdlPlatform::~SdlPlatform() {
    if (window_) SDL_DestroyWindow(window_);
}

uint64_t SdlPlatform::batchBudget(uint64_t) {
    return kBatch;
}

void SdlPlatform::watchDescriptor(int fd, std::function<void()> ready) {
    watched_[fd] = std::move(ready);
}

void SdlPlatform::unwatchDescriptor(int fd) {
    watched_.erase(fd);
}

void SdlPlatform::checkSignal() {
    if (takeQuitSignal()) pending_.push_back(makeEvent(PlatformEvent::Type::Quit));
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

void SdlPlatform::sleepUntil(uint64_t deadlineNs, int extraFd) {
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
    if (pending_.empty()) sleepUntil(deadlineNs);
    moreQueued_ = true;  // whatever woke us, look at the queue at once
}

bool SdlPlatform::pollEvent(PlatformEvent& event) {
    if (pending_.empty()) {
        const auto now = std::chrono::steady_clock::now();
        if (!moreQueued_ && now - lastPump_ < kPumpInterval) return false;
        lastPump_ = now;
        checkSignal();
        serviceDescriptors(0);
        SDL_Event e;
        while (pending_.empty() && SDL_PollEvent(&e)) translate(e);
        moreQueued_ = !pending_.empty();
        if (pending_.empty()) return false;
    }
    event = pending_.front();
    pending_.pop_front();
    return true;
}

void SdlPlatform::translate(const SDL_Event& e) {
    using T = PlatformEvent::Type;
    if (isQuit(e)) {
        pending_.push_back(makeEvent(T::Quit));
        return;
    }
    if (gamepads_.handle(e, pending_)) return;
    switch (e.type) {
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                if (shown_) upload(*shown_);
                pending_.push_back(makeEvent(T::Expose));
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) {
                // Captured while held: the release comes to us wherever the pointer is, so a
                // face key never stays down after the button came up outside the window.
                SDL_CaptureMouse(SDL_TRUE);
                leftHeld_ = true;
                pending_.push_back(makeEvent(T::LeftDown, e.button.x, e.button.y));
            } else if (e.button.button == SDL_BUTTON_RIGHT) {
                pending_.push_back(makeEvent(T::RightDown, e.button.x, e.button.y));
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) {
                SDL_CaptureMouse(SDL_FALSE);
                leftHeld_ = false;
                if (dragging_) followPointer();
                dragging_ = false;
                pending_.push_back(makeEvent(T::LeftUp, e.button.x, e.button.y));
            }
            break;
        case SDL_MOUSEMOTION:
            if (dragging_) {
                followPointer();
            } else {
                pending_.push_back(makeEvent(T::PointerMove, e.motion.x, e.motion.y));
            }
            break;
        case SDL_KEYDOWN: {
            const uint8_t vk = pcKeyOf(e.key.keysym.scancode);
            if (vk == 0 || e.key.repeat) break;
            if (vk == vk::kEnter && (e.key.keysym.mod & KMOD_ALT)) {
                suppressed_[vk] = true;
                pending_.push_back(makeEvent(T::Command, 0, 0, kCmdFullscreen));
                break;
            }
            latched_[vk] = true;
            if (vk == vk::kF4 && (e.key.keysym.mod & KMOD_ALT)) {
                pending_.push_back(makeEvent(T::Quit));  // Alt+F4 closes the window
            } else {
                pending_.push_back(makeEvent(T::KeyDown, 0, 0, vk));
            }
            break;
        }
        case SDL_DROPFILE: {
            PlatformEvent drop = makeEvent(T::DropFile);
            drop.path = e.drop.file ? e.drop.file : "";
            SDL_free(e.drop.file);
            if (!drop.path.empty()) pending_.push_back(drop);
            break;
        }
        case SDL_KEYUP: {
            const uint8_t vk = pcKeyOf(e.key.keysym.scancode);
            if (vk != 0) suppressed_[vk] = false;
            if (vk != 0) pending_.push_back(makeEvent(T::KeyUp, 0, 0, vk));
            break;
        }
        default:
            break;
    }
}

const std::array<uint8_t, 256>& SdlPlatform::keyboardState() {
    // Keys down now, plus keys that went down since the last scan even if already up again:
    // a quick tap between two frames still counts as pressed once.
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    keys_.fill(0);
    for (int sc = 0; sc < count; ++sc) {
        if (!state[sc]) continue;
        if (uint8_t vk = pcKeyOf(SDL_Scancode(sc))) keys_[vk] = 0x80;
    }
    for (size_t vk = 0; vk < keys_.size(); ++vk) {
        if (latched_[vk]) keys_[vk] = 0x80;
        if (suppressed_[vk]) keys_[vk] = 0;
    }
    latched_.fill(false);
    return keys_;
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
        messageBox(std::string("无法创建窗口: ") + SDL_GetError());
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
        // A new size keeps the window's centre where it was; back from a full screen it is
        // centred again.
        if (wasFullscreen) {
            SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        } else if (oldW != layout.outputWidth || oldH != layout.outputHeight) {
            SDL_SetWindowPosition(window_, x + (oldW - layout.outputWidth) / 2,
                                  y + (oldH - layout.outputHeight) / 2);
        }
    }
    scaled_ = RgbImage();
    uploaded_ = RgbImage();  // everything is uploaded again at the next present
    if (shown_) upload(*shown_);
}

void SdlPlatform::upload(const RgbImage& image, int firstRow, int rows) {
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

void SdlPlatform::upload(const RgbImage& image) {
    scaled_ = RgbImage();  // black, then the picture
    upload(image, 0, image.height);
    uploaded_ = image;
}

void SdlPlatform::presentWindow(const RgbImage& image) {
    shown_ = &image;
    if (uploaded_.width != image.width || uploaded_.height != image.height) {
        upload(image);
        return;
    }
    // Only the rows that changed since the last upload go to the window system: a frame
    // usually changes the LCD area alone, and often nothing at all.
    const size_t stride = size_t(image.stride());
    int first = 0, last = image.height - 1;
    while (first <= last && std::memcmp(image.at(0, first), uploaded_.at(0, first), stride) == 0)
        ++first;
    if (first > last) return;
    while (std::memcmp(image.at(0, last), uploaded_.at(0, last), stride) == 0) --last;
    std::memcpy(uploaded_.at(0, first), image.at(0, first), stride * size_t(last - first + 1));
    upload(image, first, last - first + 1);
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

std::string SdlPlatform::saveScreenshot(const RgbImage& image) {
    std::error_code ec;
    fs::create_directories(options_.screenshotDir, ec);
    const time_t now = time(nullptr);
    tm parts{};
    localtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
    fs::path file;
    for (int n = 0;; ++n) {
        const std::string name = std::string("corvane-") + stamp +
                                 (n ? "-" + std::to_string(n) : std::string()) + ".png";
        file = options_.screenshotDir / name;
        if (!fs::exists(file, ec)) break;
    }
    if (!writePng(file.string(), image)) {
        std::fprintf(stderr, "corvane: cannot write %s\n", file.c_str());
        return {};
    }
    return file.string();
}

void SdlPlatform::messageBox(const std::string& text) {
    std::fprintf(stderr, "corvane: %s\n", text.c_str());
    std::fflush(stderr);
    if (options_.noMessageBoxes) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "Tivex", text.c_str(), window_);
}

std::optional<std::string> SdlPlatform::openFileDialog(const OpenFileRequest& request) {
    const DialogTool tool = chooseDialogTool();
    if (tool != DialogTool::Window) return runExternalDialog(request);
    return runWindowChooser(request);
}

bool SdlPlatform::modalEvent(const SDL_Event& e) {
    if (isQuit(e)) {
        pending_.push_back(makeEvent(PlatformEvent::Type::Quit));
        return true;
    }
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED && shown_)
        upload(*shown_);
    // A gamepad plugged or released meanwhile is noted; its presses belong to the dialog.
    std::deque<PlatformEvent> pad;
    if (gamepads_.handle(e, pad)) {
        for (const PlatformEvent& p : pad)
            if (p.type != PlatformEvent::Type::PadDown) pending_.push_back(p);
        return false;
    }
    // A release still frees a held face key; other input waits for the dialog to close.
    if (e.type == SDL_MOUSEBUTTONUP && e.button.button == SDL_BUTTON_LEFT && leftHeld_)
        translate(e);
    return false;
}

std::optional<std::string> SdlPlatform::runExternalDialog(const OpenFileRequest& request) {
    ChildDialog child;
    if (!child.start(dialogCommand(chooseDialogTool(), request))) return runWindowChooser(request);
    for (;;) {
        if (child.collect()) break;
        sleepUntil(nowNs() + kModalWaitNs, child.descriptor());
        checkSignal();
        bool quit = !pending_.empty() && pending_.back().type == PlatformEvent::Type::Quit;
        SDL_Event e;
        while (!quit && SDL_PollEvent(&e)) quit = modalEvent(e);
        if (quit) {
            child.stop();
            return std::nullopt;
        }
    }
    if (child.status() != 0) return std::nullopt;  // cancelled
    return chosenPath(child.output(), request);
}

std::optional<std::string> SdlPlatform::runWindowChooser(const OpenFileRequest& request) {
    if (!window_ || !shown_) return std::nullopt;
    Chooser chooser(request);
    RgbImage canvas;
    // The chooser is drawn over the face: a full screen of the LCD alone shows the face meanwhile.
    const ViewLayout before = layout_;
    if (layout_.source != faceSource())
        layout_ = layoutFor(ViewMode{layout_.scale, true, FullscreenContent::Face},
                            layout_.outputWidth, layout_.outputHeight);
    auto redraw = [&] {
        canvas = *shown_;
        chooser.draw(canvas, fonts_);
        upload(canvas);
    };
    auto finish = [&](std::optional<std::string> result) {
        layout_ = before;
        upload(*shown_);
        return result;
    };
    redraw();
    for (;;) {
        sleepUntil(nowNs() + kModalWaitNs);
        checkSignal();
        if (!pending_.empty() && pending_.back().type == PlatformEvent::Type::Quit)
            return finish(std::nullopt);
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (isQuit(e)) {
                pending_.push_back(makeEvent(PlatformEvent::Type::Quit));
                return finish(std::nullopt);
            }
            Chooser::Outcome outcome = Chooser::Outcome::Open;
            bool changed = true;
            switch (e.type) {
                case SDL_KEYDOWN:
                    if (pcKeyOf(e.key.keysym.scancode) == vk::kF12)
                        saveScreenshot(canvas);  // the window as it looks, chooser included
                    else
                        outcome = chooser.keyDown(pcKeyOf(e.key.keysym.scancode));
                    break;
                case SDL_MOUSEBUTTONDOWN:
                    if (e.button.button != SDL_BUTTON_LEFT) break;
                    if (const auto at = toWindow(layout_, e.button.x, e.button.y))
                        outcome = chooser.click(at->first, at->second, e.button.clicks >= 2);
                    break;
                case SDL_MOUSEWHEEL:
                    chooser.scroll(-3 * e.wheel.y);
                    break;
                case SDL_WINDOWEVENT:
                    break;  // an exposed window gets the chooser drawn again below
                default:
                    modalEvent(e);
                    changed = false;
                    break;
            }
            if (outcome == Chooser::Outcome::Chosen) return finish(chooser.chosen());
            if (outcome == Chooser::Outcome::Cancelled) return finish(std::nullopt);
            if (changed) redraw();
        }
    }
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
