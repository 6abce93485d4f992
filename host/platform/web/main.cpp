// The simulator in a web page: the same App as the desktop's, on the WebPlatform, driven by the
// browser's frame callback. The page (web/page.js) mounts the root directory from the browser's
// storage, writes the font data file and the demos into the file system, then starts main() with
// the options its address asked for. The functions below are the page's way in.

#include <emscripten.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/app.h"
#include "host/paths.h"
#include "host/platform/web/page.h"
#include "host/platform/web/web_loop.h"
#include "host/platform/web/web_options.h"
#include "host/platform/web/web_platform.h"
#include "host/window.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {
namespace {

// Where the page puts things in the file system.
constexpr const char* kRootDir = "/corvane";           // the browser's storage (IndexedDB)
constexpr const char* kFontFile = "/site/duzezi.dat";  // fetched with the page
constexpr const char* kDemoDir = "/site/demos";        // the bundled demos

// With nothing to do until input comes, the frame callback stops and looks again this often (a
// notice over the face still goes away in time); any input brings it back at once.
constexpr int kRestMs = 250;

// The simulator lives as long as the page.
struct Session {
    std::unique_ptr<WebPlatform> platform;
    std::unique_ptr<App> app;
    std::unique_ptr<WebLoop> loop;
    bool hidden = false;
    bool resting = false;
    bool betweenFrames = false;  // ticks run back to back, not once a frame
};
Session* session = nullptr;

// Back to a tick every frame after a rest (not while the page is hidden).
void rouse(void* = nullptr) {
    if (!session || !session->resting || session->hidden) return;
    session->resting = false;
    emscripten_resume_main_loop();
}

void storageDirty() {
    page::persist();
}

void tick() {
    if (session->loop->tick()) {
        // While a program computes, the next tick comes as soon as the browser has done its own
        // work (its painting still comes once a frame, between two ticks), not at the next frame:
        // a frame's tick keeps only part of the frame. Back to one tick a frame once the program
        // sleeps, waits or stops.
        const bool computing = session->loop->computing();
        if (computing != session->betweenFrames) {
            session->betweenFrames = computing;
            if (computing)
                emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
            else
                emscripten_set_main_loop_timing(EM_TIMING_RAF, 1);
        }
        // An idle page costs no processor: no program, or one waiting for a key, rests.
        if (session->loop->restful() && !session->resting) {
            session->resting = true;
            emscripten_pause_main_loop();
            emscripten_async_call(rouse, nullptr, kRestMs);
        }
        return;
    }
    // Exit: what the desktop does at the end, then the page says how to start again.
    emscripten_cancel_main_loop();
    session->app->shutDown();
    std::fflush(nullptr);
    page::persist();
    page::ended();
}

}  // namespace
}  // namespace corvane

using namespace corvane;

int main(int argc, char** argv) {
    WebOptions options;
    std::string error;
    if (!readWebOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        page::message("corvane: " + error);
        return 2;
    }

    session = new Session;
    WebPlatform::Options po;
    po.virtualTime = options.virtualTime;
    po.instructionsPerSecond = options.instructionsPerSecond;
    po.startDate = options.date;
    session->platform = std::make_unique<WebPlatform>(po);
    WebPlatform& platform = *session->platform;
    platform.script() = options.script;

    AppSettings settings;
    settings.paths.root = kRootDir;
    settings.paths.configFile = std::filesystem::path(kRootDir) / kConfigFileName;
    settings.paths.fontFile = kFontFile;
    // The test hook's runs are the runner's: they read vorn.ini when present, never write it.
    settings.writeConfig = !options.virtualTime;
    settings.startDir = kDemoDir;
    settings.hostClockAllowed = false;
    session->app = std::make_unique<App>(platform, settings);
    App& app = *session->app;
    app.onConsoleByte = [](uint8_t byte) { page::consoleByte(byte); };

    // The test hook loads its program as the runner's command line does, before the first
    // frame; a link or a choice opens it as the Open command would, so a bad file only says so.
    Switches switches;
    if (options.virtualTime) switches.image = options.image;
    const int status = app.startUp(switches);
    if (status != 0) {
        page::ended();
        return status;
    }
    platform.setMenuOpen([&app] { return app.window().menu().isOpen(); });
    platform.setKeyDrawer([&app](const KeyRect& rect, bool pressed) {
        if (app.hasWindow()) app.window().drawKey(rect, pressed);
    });
    if (!options.virtualTime && options.image) platform.dropFile(*options.image);

    if (options.virtualTime) {
        const std::set<uint64_t> frames = options.lcdFrames;
        app.onFrameStart = [&platform](uint64_t frame) { platform.releaseFrame(frame); };
        app.onFrameEnd = [frames, &app](uint64_t frame) {
            if (frames.count(frame))
                page::lcdCaptured(frame, &app.machine().mem[kLcdScreen], kBitmapSize);
        };
    }

    session->loop = std::make_unique<WebLoop>(app, platform);
    session->loop->onStorageDirty = storageDirty;
    app.onStreamClosed = [] { session->loop->streamClosed(); };
    if (options.virtualTime) {
        const uint64_t lastCapture = options.lcdFrames.empty() ? 0 : *options.lcdFrames.rbegin();
        session->loop->capturesPending = [&app, lastCapture] {
            return app.runLoop().frames() < lastCapture;
        };
    }
    // Once per displayed frame of the browser.
    emscripten_set_main_loop(tick, 0, 0);
    return 0;
}

// --- the page's way in ---
extern "C" {

// A key of the page's keyboard (`alt`: Alt was held); true when it is one of the simulator's
// (the page then keeps it from the browser).
EMSCRIPTEN_KEEPALIVE int corvane_key(int down, const char* code, uint32_t character, int alt) {
    if (!session) return 0;
    rouse();
    return session->platform->key(down != 0, code, character, alt != 0) ? 1 : 0;
}

// The page is no longer full screen, whoever ended it (Esc, the browser, a refused request).
EMSCRIPTEN_KEEPALIVE void corvane_fullscreen_left() {
    if (!session) return;
    rouse();
    session->platform->fullscreenLeft();
}

// A pointer on the canvas, at window-image position (x, y): phase 0 down, 1 move, 2 up,
// 3 cancelled; `touch` for a finger or a pen; `button` 0 main, 2 secondary.
EMSCRIPTEN_KEEPALIVE void corvane_pointer(int phase, int id, int touch, int button, int x, int y) {
    if (!session) return;
    rouse();
    WebPointers& p = session->platform->pointers();
    switch (phase) {
        case 0:
            p.down(id, touch ? WebPointers::Kind::Touch : WebPointers::Kind::Mouse, button, x, y,
                   WebPlatform::pageNs());
            break;
        case 1:
            p.move(id, x, y);
            break;
        case 2:
            p.up(id, x, y);
            break;
        default:
            p.cancel(id);
            break;
    }
}

// The page lost the focus: nothing stays held.
EMSCRIPTEN_KEEPALIVE void corvane_blur() {
    if (session) session->platform->releaseAll();
}

// A program image the page wrote to `path` (chosen, dropped, or from a link): opened as a
// dialog's choice.
EMSCRIPTEN_KEEPALIVE void corvane_open(const char* path) {
    if (!session) return;
    rouse();
    session->platform->dropFile(path);
}

// The page was hidden (1) or shown again (0). Hidden, the simulator pauses and everything the
// programs wrote goes to the browser's storage.
EMSCRIPTEN_KEEPALIVE void corvane_hidden(int hidden) {
    if (!session || session->hidden == (hidden != 0)) return;
    session->hidden = hidden != 0;
    if (session->hidden) {
        session->resting = false;
        emscripten_pause_main_loop();
        session->platform->releaseAll();
        // What a program's streams still buffer reaches the files first.
        std::fflush(nullptr);
        page::persist();
    } else {
        emscripten_resume_main_loop();
    }
}

// Frames run so far, and instructions (the page's test hook and its measurements).
EMSCRIPTEN_KEEPALIVE double corvane_frames() {
    return session && session->app->hasWindow() ? double(session->app->runLoop().frames()) : 0;
}
EMSCRIPTEN_KEEPALIVE double corvane_instructions() {
    return session && session->app->hasWindow() ? double(session->app->runLoop().instructions())
                                                : 0;
}
// Whether a program is loaded and running.
EMSCRIPTEN_KEEPALIVE int corvane_running() {
    return session && session->app->hasMachine() && session->app->machine().programLoaded ? 1 : 0;
}

// Whether the pop-up menu's item `command` carries its tick.
EMSCRIPTEN_KEEPALIVE int corvane_menu_checked(int command) {
    return session && session->app->hasWindow() &&
                   session->app->window().menu().isChecked(uint16_t(command))
               ? 1
               : 0;
}

// Whether the pop-up menu is open.
EMSCRIPTEN_KEEPALIVE int corvane_menu_open() {
    return session && session->app->hasWindow() && session->app->window().menu().isOpen() ? 1 : 0;
}

}  // extern "C"
