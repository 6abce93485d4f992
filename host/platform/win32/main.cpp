// corvane.exe: the simulator in its own window on Windows.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "host/app.h"
#include "host/cmdline.h"
#include "host/paths.h"
#include "host/platform/win32/win32_platform.h"
#include "host/window.h"
#include "library/path.h"
#include "shared/wide_text.h"

namespace {

bool envFlag(const char* name) {
    auto value = corvane::environment(name);
    return value && *value != "0";
}

// The command line after the program's own name, as one text: the switches are searched for in
// it as the handheld's desktop program does.
std::string argumentText() {
    std::wstring_view line = GetCommandLineW();
    size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        at = line.find(L'"', 1);
        at = at == std::wstring_view::npos ? line.size() : at + 1;
    } else {
        while (at < line.size() && line[at] != L' ' && line[at] != L'\t') ++at;
    }
    while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
    return corvane::narrow(line.substr(at));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace corvane;
    namespace fs = std::filesystem;

    const Switches switches = parseCommandLineText(argumentText());

    AppSettings settings;
    settings.paths = desktopPaths(currentPathInputs());
    // The root directory is the executable's folder, whatever lies there yet.
    const fs::path exeDir = executablePath().parent_path();
    if (!environment("CORVANE_HOME") && !exeDir.empty()) {
        settings.paths.root = exeDir;
        settings.paths.configFile = exeDir / kConfigFileName;
    }
    std::error_code ec;
    fs::create_directories(settings.paths.root, ec);
    settings.startDir = hostPathText(fs::current_path(ec));
    settings.hostClockAllowed = !envFlag("CORVANE_VIRTUAL_CLOCK");

    int status = 0;
    {
        Win32Platform::Options options;
        options.noMessageBoxes = envFlag("CORVANE_NO_MESSAGE_BOXES");
        Win32Platform platform(instance, options);
        App app(platform, settings);
        status = app.startUp(switches);
        if (status == 0) {
            platform.setMenu(&app.window().menu());
            status = app.run();
            app.shutDown();
        }
    }
    return status;
}
