#include "host/platform/headless/runner_options.h"

#include <cctype>
#include <cstdio>

#include "host/texts.h"
#include "host/virtual_date.h"
#include "library/path.h"

namespace corvane {

const std::vector<OptionDef> kRunnerOptions = {
    {"max-instructions", true},
    {"max-frames", true},
    {"dump-mem", true},
    {"regs", false},
    {"keys", true},
    {"click", true},
    {"rclick", true},
    {"command", true},
    {"dialog", true},
    {"lcd", true},
    {"window", true},
    {"realtime", false},
    {"trace", false},
    {"ips", true},
    {"date", true},
    {"root", true},
    {"fonts", true},
    {"stdout", false},
    {"exit-status", false},
    {"speed", true},
    {"fast-forward", true},
    {"stats", false},
    {"save-state", true},
    {"load-state", true},
    {"record", true},
    {"record-scale", true},
    {"drop", true},
    {"scale", true},
    {"fullscreen", true},
    {"screen", true},
    {"record-window", false},
    {"beeps", true},
    {"record-input", true},
    {"replay", true},
    {"tty", false},
    {"tty-cells", true},
    {"lang", true},
};

// Where the root and the fonts are looked for, and what interrupts a run, each system in its
// own words.
#ifdef _WIN32
#define CORVANE_RUN_ROOT_TEXT                                                                   \
    "  --root DIR            the programs' root directory (default %CORVANE_HOME% when it is\n" \
    "                        set, else a temporary folder for the run)\n"
#define CORVANE_RUN_FONTS_TEXT \
    "  --fonts FILE          the font data file (default duzezi.dat beside corvane-run.exe)\n"
#define CORVANE_RUN_INTERRUPT_TEXT \
    "130 interrupted by Ctrl+C, Ctrl+Break or the closing of its console"
#else
#define CORVANE_RUN_ROOT_TEXT                                                               \
    "  --root DIR            the programs' root directory (default $CORVANE_HOME, else a\n" \
    "                        temporary directory for the run)\n"
#define CORVANE_RUN_FONTS_TEXT                                                                \
    "  --fonts FILE          the font data file (default duzezi.dat beside the executable,\n" \
    "                        else in ../share/corvane)\n"
#define CORVANE_RUN_INTERRUPT_TEXT "130 interrupted by SIGTERM, SIGINT or SIGHUP"
#endif

const char* const kRunnerUsage =
    "usage: corvane-run [options] [/S<n>] [/W<n>] [IMAGE | /R IMAGE...]\n"
    "Runs a program image without a window. Time is virtual unless --realtime is given.\n"
    "\n"
    "  --max-instructions N  stop after N instructions (default 1000000000 without --max-frames)\n"
    "  --max-frames N        stop after frame N (60 frames a second of machine time)\n"
    "  --dump-mem FILE       write the 65536 bytes of machine memory at the end\n"
    "  --regs                print pc, osp, fp, sp, regA, regB and cond at the end\n"
    "  --keys SCRIPT         blank-separated F:KEY (down at frame F, up at F+2), F:+KEY, F:-KEY;\n"
    "                        KEY: a-z, 0-9, space enter esc up down left right pgup pgdn shift\n"
    "                        del period f1-f6 f8, or vkNN (hex virtual key)\n"
    "  --click F:X,Y         left button down at frame F and up at F+2, window coordinates\n"
    "  --rclick F:X,Y        right button at frame F: opens the menu\n"
    "  --command F:ID        menu command at frame F: 40001 Exit, 40002 Open, 40003 Close,\n"
    "                        40004 Reset, 40047 interlaced scanning, 40048 black-and-white\n"
    "  --dialog ANSWER       next answer to a file dialog: a path or 'cancel' (repeatable)\n"
    "  --lcd [F:]FILE        the LCD screen memory as .pbm or .png, at frame F or at the end\n"
    "  --window [F:]FILE     the window as the screen shows it, as .png, at frame F or at the\n"
    "                        end (435x585 unless --scale or --fullscreen)\n"
    "  --realtime            real clock and real-time frames\n"
    "  --trace               one line per instruction: address, mnemonic, operands, osp\n"
    "  --ips N               instructions per second of virtual time (default 10000000)\n"
    "  --date DATE           local date at the start, YYYY-MM-DDTHH:MM:SS (default\n"
    "                        2004-01-01T00:00:00)\n" CORVANE_RUN_ROOT_TEXT CORVANE_RUN_FONTS_TEXT
    "  --stdout              copy what the program writes with putchar and printf to standard\n"
    "                        output as well (GB2312 as UTF-8)\n"
    "  --exit-status         when the program ends by itself, exit with the low 8 bits of the\n"
    "                        value on top of its operand stack\n"
    "  --speed N             limit the program to N instructions per second (\"限速\")\n"
    "  --fast-forward N      run frames, delays and the speed limit N times faster\n"
    "  --stats               print frames, instructions and clock time at the end\n"
    "  --save-state F:FILE   save the machine's state after frame F (repeatable)\n"
    "  --load-state FILE     continue from a saved state of the same image\n"
    "  --record FILE.gif     record the LCD to an animated GIF, from the start to the end\n"
    "  --record-scale N      pixels per LCD or window pixel in the recording, 1-4 (default 2\n"
    "                        for the LCD, 1 for the whole window)\n"
    "  --drop F:PATH         a file dropped on the window at frame F\n"
    "  --scale N             the window at N times its size, 1-4; --click and --rclick then\n"
    "                        give the screen's pixels\n"
    "  --fullscreen WHAT     full screen showing the face or the lcd alone\n"
    "  --screen WxH          the screen a full screen fills (default 1920x1080)\n"
    "  --record-window       record the whole window as shown instead of the LCD\n"
    "  --beeps FILE          write the time of each Beep the program makes, one a line, in\n"
    "                        milliseconds of machine time since the start\n"
    "  --record-input FILE   write the run's input log (keys, clicks, commands, dialog answers,\n"
    "                        images loaded, each with its instruction count) to FILE\n"
    "  --replay FILE         run again from an input log (the runner's, or the window's from\n"
    "                        corvane --record-input): its clock, its view and its image (when\n"
    "                        none is named); fail unless it ends as recorded\n"
    "  --tty                 play in this terminal, in real time, until the program ends or\n"
    "                        Ctrl+C (keys as on the desktop; a key counts as held 0.15 s after\n"
    "                        the terminal last sent it, as terminals report no releases)\n"
    "  --tty-cells WHAT      auto (default), half (half-blocks, 160x40 cells) or braille (80x20)\n"
    "  --lang CODE           the language of the window's menus and the messages: zh (Chinese,\n"
    "                        the default) or en (English)\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 the program ended (or a scripted Exit), 1 usage error or image not valid,\n"
    "2 a limit was reached or nothing more can happen, 3 the program ended by a "
    "fault,\n" CORVANE_RUN_INTERRUPT_TEXT
    "\n(the program is ended as by Exit: its files are closed, the temporary root removed).\n";

bool hasExtension(const std::string& file, const char* ext) {
    std::string e = hostPathText(hostFsPath(file).extension());
    for (char& c : e) c = char(std::tolower(static_cast<unsigned char>(c)));
    return e == ext;
}

namespace {

bool parseCapture(const std::string& text, bool window, Capture& capture, std::string& error) {
    capture = {};
    capture.window = window;
    capture.file = text;
    if (auto split = splitFrame(text)) {
        capture.frame = split->first;
        capture.file = split->second;
    }
    if (capture.file.empty()) {
        error = std::string(window ? "--window" : "--lcd") + " needs a file";
        return false;
    }
    if (window ? !hasExtension(capture.file, ".png")
               : !hasExtension(capture.file, ".png") && !hasExtension(capture.file, ".pbm")) {
        error =
            std::string(window ? "--window writes .png files" : "--lcd writes .pbm or .png files") +
            ": " + capture.file;
        return false;
    }
    return true;
}

}  // namespace

bool readOptions(const CommandLine& cl, RunnerOptions& o, std::string& error) {
    o.date = LocalTime{};
    // Plain references, not a structured binding: the lambda below captures them, which not
    // every compiler accepts for bindings yet.
    for (const auto& option : cl.options) {
        const std::string& name = option.first;
        const std::string& value = option.second;
        auto count = [&](uint64_t& target) {
            auto n = parseCount(value);
            if (!n)
                error = "--" + name + " needs a whole number: " + value;
            else
                target = *n;
            return bool(n);
        };
        if (name == "max-instructions") {
            if (!count(o.maxInstructions)) return false;
            o.instructionsGiven = true;
        } else if (name == "max-frames") {
            if (!count(o.maxFrames)) return false;
            o.framesGiven = true;
        } else if (name == "ips") {
            if (!count(o.ips)) return false;
            if (o.ips == 0) {
                error = "--ips must be at least 1";
                return false;
            }
        } else if (name == "dump-mem") {
            o.dumpMem = value;
        } else if (name == "regs") {
            o.regs = true;
        } else if (name == "trace") {
            o.trace = true;
        } else if (name == "stdout") {
            o.copyStdout = true;
        } else if (name == "exit-status") {
            o.exitStatus = true;
        } else if (name == "realtime") {
            o.realtime = true;
        } else if (name == "date") {
            auto d = parseDateTime(value);
            if (!d) {
                error = "--date needs YYYY-MM-DDTHH:MM:SS: " + value;
                return false;
            }
            o.date = *d;
        } else if (name == "root") {
            o.root = value;
        } else if (name == "fonts") {
            o.fonts = value;
        } else if (name == "dialog") {
            o.dialogAnswers.push_back(value);
        } else if (name == "keys") {
            if (!o.script.addKeys(value, error)) return false;
        } else if (name == "click" || name == "rclick") {
            if (!o.script.addClick(value, name == "rclick", error)) return false;
        } else if (name == "drop") {
            if (!o.script.addDrop(value, error)) return false;
        } else if (name == "command") {
            if (!o.script.addCommand(value, error)) return false;
        } else if (name == "speed") {
            if (!count(o.speed)) return false;
        } else if (name == "fast-forward") {
            if (!count(o.fastForward)) return false;
            if (o.fastForward == 0) {
                error = "--fast-forward must be at least 1";
                return false;
            }
        } else if (name == "record-scale") {
            if (!count(o.recordScale)) return false;
            if (o.recordScale < 1 || o.recordScale > 4) {
                error = "--record-scale is 1, 2, 3 or 4";
                return false;
            }
        } else if (name == "scale") {
            uint64_t n = 0;
            if (!count(n)) return false;
            if (n < 1 || n > 4) {
                error = "--scale is 1, 2, 3 or 4";
                return false;
            }
            o.view.scale = int(n);
        } else if (name == "fullscreen") {
            const auto content = contentFromName(value);
            if (!content) {
                error = "--fullscreen shows face or lcd: " + value;
                return false;
            }
            o.view.fullscreen = true;
            o.view.content = *content;
        } else if (name == "screen") {
            int w = 0, h = 0;
            char tail = 0;
            if (std::sscanf(value.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 1 || h < 1 ||
                w > 16384 || h > 16384) {
                error = "--screen needs WxH: " + value;
                return false;
            }
            o.screenWidth = w;
            o.screenHeight = h;
        } else if (name == "record-window") {
            o.recordWindow = true;
        } else if (name == "beeps") {
            o.beeps = value;
        } else if (name == "record-input") {
            o.recordInput = value;
        } else if (name == "replay") {
            o.replay = value;
        } else if (name == "tty") {
            o.tty = true;
        } else if (name == "tty-cells") {
            if (value != "auto" && value != "half" && value != "braille") {
                error = "--tty-cells is auto, half or braille: " + value;
                return false;
            }
            o.ttyCells = value;
        } else if (name == "lang") {
            if (!languageByCode(value)) {
                error = "--lang is one of";
                for (int i = 0; i < kLanguageCount; ++i)
                    error += (i ? ", " : " ") + std::string(languageCode(i));
                error += ": " + value;
                return false;
            }
            o.language = value;
        } else if (name == "stats") {
            o.stats = true;
        } else if (name == "load-state") {
            o.loadState = value;
        } else if (name == "record") {
            if (!hasExtension(value, ".gif")) {
                error = "--record writes .gif files: " + value;
                return false;
            }
            o.record = value;
        } else if (name == "save-state") {
            auto split = splitFrame(value);
            if (!split || split->second.empty()) {
                error = "--save-state needs F:FILE: " + value;
                return false;
            }
            o.saveStates.push_back(*split);
        } else if (name == "lcd" || name == "window") {
            Capture c;
            if (!parseCapture(value, name == "window", c, error)) return false;
            o.captures.push_back(c);
        }
    }
    // The local date a run starts at, unless given (the struct's defaults: 2004-01-01, Thursday).
    return true;
}

}  // namespace corvane
