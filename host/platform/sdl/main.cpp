// corvane: the simulator in a desktop window.
#include <SDL.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "host/app.h"
#include "host/cmdline.h"
#include "host/dap_host.h"
#include "host/dap_port.h"
#include "host/paced_platform.h"
#include "host/paths.h"
#include "host/platform/sdl/sdl_platform.h"
#include "host/platform/sdl/signals.h"
#include "host/window_recording.h"
#include "vm/machine.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

const char* kUsage =
    "usage: corvane [--dap-port N | --record-input FILE] [/S<n>] [/W<n>] [IMAGE | /R IMAGE...]\n"
    "Runs a program image in the handheld's window; without one, open it from the menu\n"
    "(right mouse button).\n"
    "\n"
    "  IMAGE, /R IMAGE  load and start the program image at once\n"
    "  /S<n>            stop value of the debugger link\n"
    "  /W<n>            the debugger to attach to\n"
    "  --dap-port N     a debug server (Debug Adapter Protocol) on 127.0.0.1:N: a client\n"
    "                   attaches to the running program or launches one into the window\n"
    "  --record-input FILE  records the session's input log to FILE, written when the window\n"
    "                   closes: corvane-run --replay FILE plays the same session again\n"
    "                   exactly (the program runs on a virtual clock paced to real time)\n"
    "  --help, --version\n"
    "\n"
    "Keys: letters, digits, Space, Enter, Esc, Delete, arrows, Page Up/Down, Shift and F1-F6 are\n"
    "the handheld's keys; F8 restarts the program; F12 saves the window as a PNG in the\n"
    "screenshots folder of the root directory; Alt+Enter fills the screen and back; Alt+F4 ends.\n"
    "The menu's \"设定\" (Settings) sets the size (1x-4x) and what a full screen shows, and its\n"
    "\"Language / 语言\" the language of the menus and messages (Chinese or English, also\n"
    "Language=en|zh in section [Corvane] of vorn.ini); its last item tells the version, the keys\n"
    "and where the files live.\n"
    "F7/F10 save/load a state, F9 pauses, F11 records, Tab held fast-forwards, Backspace held\n"
    "rewinds. Letters follow the keyboard layout; gamepads play the arrows, Enter, Esc and\n"
    "Space. Sections [Keys] and [Gamepad] of vorn.ini change the map (docs/keys.md).\n"
    "Root directory: $CORVANE_HOME, else the executable's folder when duzezi.dat is there, else\n"
    "$XDG_DATA_HOME/corvane.\n"
    "A program's SetTime moves a date of this window only; \"SetHostClock=1\" in section\n"
    "\"[Clock]\" of vorn.ini lets it set the host's clock.\n"
    "Environment: CORVANE_VIRTUAL_CLOCK=1 keeps the host's clock untouched whatever vorn.ini "
    "says;\n"
    "CORVANE_NO_MESSAGE_BOXES=1 writes messages to stderr only; CORVANE_FILE_DIALOG=zenity,\n"
    "kdialog or window picks the file chooser.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace corvane;

    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<uint16_t> dapPort;
    std::string optionError;
    if (!takeDapPortOption(args, dapPort, optionError)) {
        std::fprintf(stderr, "corvane: %s\n%s", optionError.c_str(), kUsage);
        return 2;
    }
    std::optional<std::string> recordFile;
    if (!takeRecordInputOption(args, recordFile, optionError)) {
        std::fprintf(stderr, "corvane: %s\n%s", optionError.c_str(), kUsage);
        return 2;
    }
    ParseOutcome parsed = parseArguments(args);
    if (!parsed.ok) {
        std::fprintf(stderr, "corvane: %s\n%s", parsed.error.c_str(), kUsage);
        return 2;
    }
    if (recordFile && !parsed.commandLine.help && !parsed.commandLine.version) {
        if (const auto refusal =
                recordingRefusal(parsed.commandLine.switches, dapPort.has_value())) {
            std::fprintf(stderr, "corvane: %s\n%s", refusal->c_str(), kUsage);
            return 2;
        }
    }
    if (parsed.commandLine.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parsed.commandLine.version) {
        std::printf("corvane %s\n", CORVANE_VERSION);
        return 0;
    }

    if (!environment("DISPLAY") && !environment("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "corvane: no display to open a window on; run programs without one with "
                     "corvane-run\n");
        return kStartUpFailed;
    }
    // Our own handlers turn SIGINT and SIGTERM into Exit; SDL must not install its own.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window is drawn through its plain framebuffer: no renderer, so the shape stays.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr,
                     "corvane: cannot open the display (%s); run programs without one "
                     "with corvane-run\n",
                     SDL_GetError());
        return kStartUpFailed;
    }
    // When no real display answers, SDL falls back to drawing nowhere; unless that was asked
    // for, it is no display at all.
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (!environment("SDL_VIDEODRIVER") && (driver == "offscreen" || driver == "dummy")) {
        SDL_Quit();
        std::fprintf(stderr,
                     "corvane: cannot open the display %s; run programs without one "
                     "with corvane-run\n",
                     environment("DISPLAY").value_or("").c_str());
        return kStartUpFailed;
    }
    // Gamepads are welcome but not needed: without the subsystem there are simply none.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    installQuitSignals();

    int status = 0;
    {
        SdlPlatform platform(SdlPlatform::Options{});
        // Recording, the app runs on the paced clock over the window.
        std::optional<PacedPlatform> paced;
        if (recordFile) paced.emplace(platform, kRecordingRate);
        Platform& used = paced ? static_cast<Platform&>(*paced) : platform;
        App app(used, desktopSettings());
        status = app.startUp(parsed.commandLine.switches);
        if (status == 0) {
            platform.setFonts(app.machine().fonts);
            platform.setScreenshotSaver(
                [&app](const RgbImage& image) { app.saveScreenshot(image); });
            // Descriptors to wait on besides the window (the debugger channel) are registered
            // with platform.watchDescriptor() before the loop starts.
            status = paced ? runRecordingWindow(app, *paced, *recordFile, stderr)
                           : runWindow(app, platform, dapPort, stderr);
            app.shutDown();
        }
    }
    SDL_Quit();
    return status;
}
