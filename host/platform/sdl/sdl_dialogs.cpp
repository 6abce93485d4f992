// The desktop window's modal loops: for the open-file dialog, the desktop's own chooser run as a
// child process or the chooser drawn in the window; for a message, the box drawn in the window.
// Each keeps the window painted and a quit honoured while it is up.

#include <deque>

#include "host/chooser.h"
#include "host/message_panel.h"
#include "host/platform/sdl/external_dialog.h"
#include "host/platform/sdl/keymap.h"
#include "host/platform/sdl/sdl_platform.h"
#include "host/skin.h"

namespace corvane {

namespace {

// How long a modal dialog sleeps at most between two looks at its child or its events.
constexpr uint64_t kModalWaitNs = 100'000'000;

}  // namespace

std::optional<std::string> SdlPlatform::openFileDialog(const OpenFileRequest& request) {
    const DialogTool tool = chooseDialogTool();
    if (tool != DialogTool::Window) return runExternalDialog(request);
    return runWindowChooser(request);
}

bool SdlPlatform::modalEvent(const SDL_Event& e) {
    if (isQuit(e)) {
        push(PlatformEvent::Type::Quit);
        return true;
    }
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED) repaint();
    // A gamepad plugged or released meanwhile is noted; its presses belong to the dialog.
    std::deque<PlatformEvent> pad;
    if (gamepads_.handle(e, pad)) {
        for (const PlatformEvent& p : pad)
            if (p.type != PlatformEvent::Type::PadDown) push(p);
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
        sleepOrDescriptor(nowNs() + kModalWaitNs, child.descriptor());
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
    if (!window_ || !shown()) return std::nullopt;
    Chooser chooser(request);
    RgbImage canvas;
    // The chooser is drawn over the face: a full screen of the LCD alone shows the face meanwhile.
    const ViewLayout before = layout_;
    if (layout_.source != faceSource())
        layout_ = layoutFor(ViewMode{layout_.scale, true, FullscreenContent::Face},
                            layout_.outputWidth, layout_.outputHeight);
    auto redraw = [&] {
        canvas = *shown();
        chooser.draw(canvas, fonts_);
        uploadWhole(canvas);
    };
    auto finish = [&](std::optional<std::string> result) {
        layout_ = before;
        uploadWhole(*shown());
        return result;
    };
    redraw();
    for (;;) {
        sleepOrDescriptor(nowNs() + kModalWaitNs);
        checkSignal();
        if (!pending_.empty() && pending_.back().type == PlatformEvent::Type::Quit)
            return finish(std::nullopt);
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (isQuit(e)) {
                push(PlatformEvent::Type::Quit);
                return finish(std::nullopt);
            }
            Chooser::Outcome outcome = Chooser::Outcome::Open;
            bool changed = true;
            switch (e.type) {
                case SDL_KEYDOWN:
                    if (pcKeyOf(e.key.keysym.scancode) == vk::kF12) {
                        // The window as it looks, chooser included.
                        if (saveScreenshot_) saveScreenshot_(canvas);
                    } else {
                        outcome = chooser.keyDown(pcKeyOf(e.key.keysym.scancode));
                    }
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

bool SdlPlatform::runWindowBox(const std::string& text) {
    if (!window_ || !shown() || !fonts_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_HIDDEN))
        return false;
    // Drawn over the face: a full screen of the LCD alone shows the face meanwhile.
    const ViewLayout before = layout_;
    if (layout_.source != faceSource())
        layout_ = layoutFor(ViewMode{layout_.scale, true, FullscreenContent::Face},
                            layout_.outputWidth, layout_.outputHeight);
    const MessagePanel box(text, visibleWindowPart(layout_, windowRect(), workArea()));
    RgbImage canvas;
    auto redraw = [&] {
        canvas = *shown();
        box.draw(canvas, *fonts_);
        uploadWhole(canvas);
    };
    redraw();
    for (;;) {
        sleepOrDescriptor(nowNs() + kModalWaitNs);
        checkSignal();
        bool done = !pending_.empty() && pending_.back().type == PlatformEvent::Type::Quit;
        SDL_Event e;
        while (!done && SDL_PollEvent(&e)) {
            if (isQuit(e)) {
                push(PlatformEvent::Type::Quit);
                done = true;
            } else if (e.type == SDL_KEYDOWN && !e.key.repeat &&
                       MessagePanel::closesOn(pcKeyOf(e.key.keysym.scancode))) {
                // The key that closed the box is the box's: the program never sees it pressed.
                latch_.suppress(pcKeyOf(e.key.keysym.scancode));
                done = true;
            } else if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT) {
                const auto at = toWindow(layout_, e.button.x, e.button.y);
                done = at && box.clickCloses(at->first, at->second);
            } else if (e.type == SDL_WINDOWEVENT) {
                if (e.window.event == SDL_WINDOWEVENT_EXPOSED) redraw();
            } else if (e.type == SDL_KEYUP) {
                translate(e);  // releases stay: no key is left down
            } else {
                modalEvent(e);
            }
        }
        if (done) break;
    }
    layout_ = before;
    uploadWhole(*shown());
    return true;
}

}  // namespace corvane
