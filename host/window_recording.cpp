#include "host/window_recording.h"

#include <filesystem>
#include <system_error>

#include "host/app.h"
#include "host/input_recorder.h"
#include "host/paced_platform.h"
#include "host/run_status.h"
#include "shared/host_path.h"

namespace corvane {

namespace {

constexpr const char* kOption = "--record-input";

}  // namespace

bool takeRecordInputOption(std::vector<std::string>& args, std::optional<std::string>& file,
                           std::string& error) {
    const std::string prefix = std::string(kOption) + "=";
    for (size_t i = 0; i < args.size(); ++i) {
        size_t taken = 0;
        if (args[i] == kOption) {
            if (i + 1 < args.size()) file = args[i + 1];
            taken = 2;
        } else if (args[i].rfind(prefix, 0) == 0) {
            file = args[i].substr(prefix.size());
            taken = 1;
        } else {
            continue;
        }
        if (!file || file->empty()) {
            error = "--record-input needs a file to write the input log to";
            file.reset();
            return false;
        }
        args.erase(args.begin() + long(i), args.begin() + long(i + taken));
        return true;
    }
    return true;
}

bool takeRecordInputText(std::string& text, std::optional<std::string>& file, std::string& error) {
    const std::string option = std::string(kOption) + " ";
    if (text.rfind(option, 0) != 0) return true;
    size_t at = option.size();
    while (at < text.size() && text[at] == ' ') ++at;
    size_t end = 0;
    std::string name;
    if (at < text.size() && text[at] == '"') {
        end = text.find('"', at + 1);
        if (end == std::string::npos) {
            error = "--record-input: the file's name has no closing quote";
            return false;
        }
        name = text.substr(at + 1, end - at - 1);
        ++end;
    } else {
        end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        name = text.substr(at, end - at);
    }
    if (name.empty()) {
        error = "--record-input needs a file to write the input log to";
        return false;
    }
    while (end < text.size() && text[end] == ' ') ++end;
    file = name;
    text = text.substr(end);
    return true;
}

std::optional<std::string> recordingRefusal(const Switches& switches, bool debugServer) {
    if (!switches.image) return "--record-input needs a program image to start with";
    if (debugServer)
        return "--record-input does not go with --dap-port: a debugger's stops would move the "
               "recorded clock";
    if (switches.debugger != 0)
        return "--record-input does not go with /W: the debugger link's resumes are not input "
               "the log can keep";
    return std::nullopt;
}

int runRecordingWindow(App& app, PacedPlatform& paced, const std::string& file, std::FILE* err) {
    // The speed the window would have run at is the clock's rate now: the run loop's own limit
    // counts on that clock, which the replay would not have.
    const bool limited = app.speedLimited();
    const uint32_t factor = app.fastForwardFactor();
    paced.setRate(limited ? app.speedSetting() : kRecordingRate);
    app.setSpeedLimited(false);
    app.setFastForwardFactor(kDefaultFastForward);
    app.refuseStateLoads(true);

    // Named whole, so the message at the end says where it went.
    std::error_code ec;
    const std::string path = hostPathText(std::filesystem::absolute(hostFsPath(file), ec));
    InputRecorder recorder(path, paced.rate(), paced.startDate(), app);
    const Platform::Screen screen = paced.screen();
    if (screen.width > 0 && screen.height > 0)
        recorder.setView({app.viewMode(), screen.width, screen.height});
    RunLoop& loop = app.runLoop();
    app.onFrameStart = [&](uint64_t frame) {
        recorder.released(loop.instructions(), frame, paced.releaseFrame(frame));
    };
    paced.onDialogAnswer = [&](const std::string& answer) {
        recorder.dialogAnswer(loop.instructions(), loop.frames(), answer);
    };
    app.onFrameEnd = [&](uint64_t frame) { recorder.frameEnded(loop.instructions(), frame); };
    const int code = app.run();
    app.onFrameStart = nullptr;
    app.onFrameEnd = nullptr;
    paced.onDialogAnswer = nullptr;

    // vorn.ini keeps the settings as they were.
    app.setFastForwardFactor(factor);
    app.setSpeedLimited(limited);

    std::string error;
    if (!recorder.finish(runStatus(app), false, error)) {
        std::fprintf(err, "corvane: %s\n", error.c_str());
        std::fflush(err);
        paced.messageBox(error);
        return kStartUpFailed;
    }
    std::fprintf(err, "corvane: input log written to %s (replay it with corvane-run --replay)\n",
                 path.c_str());
    std::fflush(err);
    return code;
}

}  // namespace corvane
