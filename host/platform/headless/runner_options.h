#pragma once
// corvane-run's options: their names, the usage text, and what a command line asks for.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/cmdline.h"
#include "host/platform/headless/script.h"
#include "host/view.h"
#include "vm/host.h"

namespace corvane {

// The options corvane-run takes, and its usage text.
extern const std::vector<OptionDef> kRunnerOptions;
extern const char* const kRunnerUsage;

// A picture to write: the LCD or the window as shown, at a frame or at the end.
struct Capture {
    uint64_t frame = 0;  // 0: at the end
    std::string file;
    bool window = false;
};

// What a command line asks of a run.
struct RunnerOptions {
    uint64_t maxInstructions = 0;
    uint64_t maxFrames = 0;
    bool instructionsGiven = false;
    bool framesGiven = false;
    std::string dumpMem;
    bool regs = false;
    bool trace = false;
    bool realtime = false;
    bool copyStdout = false;
    bool exitStatus = false;
    uint64_t ips = 10'000'000;
    LocalTime date;
    std::string root;
    std::string fonts;
    std::vector<std::string> dialogAnswers;
    std::vector<Capture> captures;
    Script script;
    uint64_t speed = 0;
    uint64_t fastForward = 1;
    bool stats = false;
    std::vector<std::pair<uint64_t, std::string>> saveStates;
    std::string loadState;
    std::string record;
    uint64_t recordScale = 0;  // 0: 2 for the LCD, 1 for the whole window
    bool recordWindow = false;
    ViewMode view{1};
    int screenWidth = 1920;
    int screenHeight = 1080;
    std::string beeps;        // the file the times of the program's Beep calls go to
    std::string recordInput;  // the input log written as the run goes
    std::string replay;       // the input log the run takes its input from
    bool tty = false;
    std::string ttyCells = "auto";
    std::string language;  // --lang: the code of a table of texts; empty for the default
};

// Whether `file` ends with `ext` (".png"), in any case.
bool hasExtension(const std::string& file, const char* ext);

// The options of `cl` into `o`; false with `error` set when one is not valid.
bool readOptions(const CommandLine& cl, RunnerOptions& o, std::string& error);

}  // namespace corvane
