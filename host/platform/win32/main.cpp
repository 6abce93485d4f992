// corvane.exe: the simulator in its own window on Windows.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "host/app.h"
#include "host/cmdline.h"
#include "host/dap_host.h"
#include "host/dap_port.h"
#include "host/paced_platform.h"
#include "host/platform/win32/win32_platform.h"
#include "host/window.h"
#include "host/window_recording.h"
#include "shared/wide_text.h"

namespace {

// The command line after the program's own name, as one text: the switches are searched for in
// it as the handheld's desktop program does, with the path after "/R" (or a bare path) taken as
// Windows writes it.
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

    // "--dap-port N" and "--record-input FILE" first, before the switches the handheld's
    // desktop program reads.
    std::string text = argumentText();
    std::optional<uint16_t> dapPort;
    std::optional<std::string> recordFile;
    for (bool more = true; more;) {
        std::string error;
        const size_t before = text.size();
        if (!takeDapPortText(text, dapPort, error) ||
            !takeRecordInputText(text, recordFile, error)) {
            MessageBoxW(nullptr, widen(error).c_str(), L"corvane", MB_OK | MB_ICONEXCLAMATION);
            return kStartUpFailed;
        }
        more = text.size() != before;
    }
    const Switches switches = parseWindowsCommandLine(text);
    if (recordFile) {
        if (const auto refusal = recordingRefusal(switches, dapPort.has_value())) {
            MessageBoxW(nullptr, widen(*refusal).c_str(), L"corvane", MB_OK | MB_ICONEXCLAMATION);
            return kStartUpFailed;
        }
    }

    int status = 0;
    {
        Win32Platform platform(instance, Win32Platform::Options{});
        // Recording, the app runs on the paced clock over the window.
        std::optional<PacedPlatform> paced;
        if (recordFile) paced.emplace(platform, kRecordingRate);
        Platform& used = paced ? static_cast<Platform&>(*paced) : platform;
        App app(used, desktopSettings());
        status = app.startUp(switches);
        if (status == 0) {
            platform.setMenu(&app.window().menu());
            status = paced ? runRecordingWindow(app, *paced, *recordFile, stderr)
                           : runWindow(app, platform, dapPort, stderr);
            app.shutDown();
        }
    }
    return status;
}
