#pragma once
// The window recording an input log ("corvane --record-input FILE IMAGE", Linux and Windows
// alike): from the program's start to the window's end it runs on the paced virtual clock
// (host/paced_platform.h), and the log it writes is replayed exactly by
// `corvane-run --replay FILE`.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "host/cmdline.h"

namespace corvane {

class App;
class PacedPlatform;

// The clock's rate when "限速" is off: the runner's own default.
constexpr uint64_t kRecordingRate = 10'000'000;

// Takes "--record-input FILE" (or "--record-input=FILE") out of `args`; false with `error` when
// it names no file.
bool takeRecordInputOption(std::vector<std::string>& args, std::optional<std::string>& file,
                           std::string& error);
// The same at the start of a Windows command line's text: "--record-input FILE" or
// "--record-input "FILE WITH SPACES"", taken off with the spaces after it.
bool takeRecordInputText(std::string& text, std::optional<std::string>& file, std::string& error);

// Why the window cannot record with these switches, or nothing when it can: the log starts with
// a program image, and neither debugger may hold the program on a clock the log cannot keep.
std::optional<std::string> recordingRefusal(const Switches& switches, bool debugServer);

// The window's run while recording to `file`, on `paced` (the platform the app was made with):
// as App::run(), with each frame's input recorded, then the log written. "限速" becomes the
// clock's rate for the recording and fast-forward the runner's factor; both are put back after.
// Returns the app's exit code, or kStartUpFailed when the log could not be written (said on
// `err` and in a message box).
int runRecordingWindow(App& app, PacedPlatform& paced, const std::string& file, std::FILE* err);

}  // namespace corvane
