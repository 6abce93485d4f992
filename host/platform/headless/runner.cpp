#include "host/platform/headless/runner.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "host/app.h"
#include "host/cmdline.h"
#include "host/image_io.h"
#include "host/paths.h"
#include "host/platform/headless/headless_platform.h"
#include "host/platform/headless/interrupt.h"
#include "host/window.h"
#include "library/gb2312.h"
#include "library/path.h"
#include "vm/machine.h"
#include "vm/memory_map.h"
#include "vm/opcodes.h"

#ifdef CORVANE_HAVE_VRNDIS
#include "shared/disasm/disassembler.h"
#endif

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace corvane {
namespace fs = std::filesystem;

namespace {

// Without --max-frames a run also stops after this many frames (over four hours of machine
// time), so a program that spends its life in Delay cannot keep the runner going forever.
constexpr uint64_t kDefaultFrameCap = 1'000'000;
constexpr uint64_t kDefaultInstructionLimit = 1'000'000'000;

const std::vector<OptionDef> kOptions = {
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
};

const char* kUsage =
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
    "                        2004-01-01T00:00:00)\n"
    "  --root DIR            the programs' root directory (default $CORVANE_HOME, else a\n"
    "                        temporary directory for the run)\n"
    "  --fonts FILE          the font data file (default duzezi.dat beside the executable,\n"
    "                        else in ../share/corvane)\n"
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
    "  --help, --version\n"
    "\n"
    "Exit status: 0 the program ended (or a scripted Exit), 1 usage error or image not valid,\n"
    "2 a limit was reached or nothing more can happen, 3 the program ended by a fault,\n"
    "130 interrupted by SIGTERM, SIGINT or SIGHUP (the program is ended as by Exit: its files\n"
    "are closed, the temporary root removed).\n";

struct Capture {
    uint64_t frame = 0;  // 0: at the end
    std::string file;
    bool window = false;
};

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
};

bool hasExtension(const std::string& file, const char* ext) {
    std::string e = hostPathText(hostFsPath(file).extension());
    for (char& c : e) c = char(std::tolower(static_cast<unsigned char>(c)));
    return e == ext;
}

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

void printTrace(const Machine& m, std::FILE* out) {
    if (m.waitForKey) return;  // a step that only looks for a key runs no instruction
#ifdef CORVANE_HAVE_VRNDIS
    const std::string line = corvane::traceInstruction(m.image.get(), m.imageSize, m.pc, m.strKey);
    std::fprintf(out, "%s  osp=%02X\n", line.c_str(), m.osp);
#else
    const OpInfo* info = m.pc < m.imageSize ? &opInfo(m.image[m.pc]) : nullptr;
    std::fprintf(out, "%06X  %s  osp=%02X\n", m.pc, info && info->name ? info->name : "?", m.osp);
#endif
}

bool writeCapture(const Capture& c, App& app, std::FILE* err) {
    bool ok;
    errno = 0;
    if (c.window && !app.hasWindow()) {
        ok = false;
    } else if (c.window) {
        ok = writePng(c.file, app.presentedImage());
    } else {
        const uint8_t* lcd = &app.machine().mem[kLcdScreen];
        ok = hasExtension(c.file, ".png") ? writeLcdPng(c.file, lcd) : writeLcdPbm(c.file, lcd);
    }
    if (!ok) {
        const int why = errno;
        std::fprintf(err, "corvane-run: cannot write %s: %s\n", c.file.c_str(),
                     c.window && !app.hasWindow() ? "there is no window"
                     : why != 0                   ? std::strerror(why)
                                                  : "write failed");
    }
    return ok;
}

// A fresh directory for a run that names no root; removed when the run ends.
fs::path makeTemporaryRoot() {
    std::random_device rd;
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path dir = fs::temp_directory_path(ec) / ("corvane-run-" + std::to_string(rd()));
        if (fs::create_directory(dir, ec)) return dir;
    }
    return {};
}

// The console's bytes on standard output: a GB2312 character is converted when both of its
// bytes have arrived; bytes that convert to nothing pass through unchanged.
struct ConsoleCopy {
    std::FILE* out;
    int lead = -1;
    void put(uint8_t b) {
        if (lead < 0 && b < 0x80) {
            std::fputc(b, out);
            return;
        }
        if (lead < 0) {
            lead = b;
            return;
        }
        const char pair[2] = {char(lead), char(b)};
        lead = -1;
        std::string utf8;
        if (gb2312ToUtf8(std::string_view(pair, 2), utf8))
            std::fputs(utf8.c_str(), out);
        else
            std::fwrite(pair, 1, 2, out);
    }
};

int usageError(std::FILE* err, const std::string& message) {
    std::fprintf(err, "corvane-run: %s\n%s", message.c_str(), kUsage);
    return kRunUsage;
}

}  // namespace

// Says on stderr which limit ended a run that exits with kRunLimit, so a program stuck in a loop
// is not mistaken for one that finished.
void reportLimit(std::FILE* err, const RunnerOptions& o, const RunLoop& loop, const Machine& m,
                 bool frameLimitHit) {
    if (loop.limitReached()) {
        if (o.instructionsGiven) {
            std::fprintf(
                err,
                "corvane-run: stopped at the instruction limit (--max-instructions %" PRIu64 ")\n",
                o.maxInstructions);
        } else {
            std::fprintf(err,
                         "corvane-run: stopped after %" PRIu64
                         " instructions, the default limit (raise it with --max-instructions)\n",
                         loop.instructions());
        }
    } else if (frameLimitHit) {
        if (o.framesGiven) {
            std::fprintf(err,
                         "corvane-run: stopped at the frame limit (--max-frames %" PRIu64 ")\n",
                         o.maxFrames);
        } else {
            std::fprintf(err,
                         "corvane-run: stopped at frame %" PRIu64
                         ", the default frame limit (raise it with --max-frames)\n",
                         loop.frames());
        }
    } else if (m.programLoaded && m.waitForKey) {
        std::fputs("corvane-run: the program waits for a key and no scripted input is left\n", err);
    } else if (m.programLoaded && m.paused) {
        std::fputs("corvane-run: the program is paused and nothing more can happen\n", err);
    }
}

int runHeadless(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty()) {
        std::fputs(kUsage, err);
        return kRunUsage;
    }
    ParseOutcome parsed = parseArguments(args, kOptions);
    if (!parsed.ok) return usageError(err, parsed.error);
    const CommandLine& cl = parsed.commandLine;
    if (cl.help) {
        std::fputs(kUsage, out);
        return kRunEnded;
    }
    if (cl.version) {
        std::fprintf(out, "corvane-run %s\n", CORVANE_VERSION);
        return kRunEnded;
    }
    RunnerOptions o;
    std::string error;
    if (!readOptions(cl, o, error)) return usageError(err, error);

    // Root directory: --root, $CORVANE_HOME, or a temporary directory made for this run.
    fs::path tempRoot;
    fs::path root;
    std::error_code ec;
    if (!o.root.empty()) {
        root = hostFsPath(o.root);
    } else if (auto home = environment("CORVANE_HOME")) {
        root = hostFsPath(*home);
    } else {
        tempRoot = makeTemporaryRoot();
        if (tempRoot.empty()) return usageError(err, "cannot make a temporary root directory");
        root = tempRoot;
    }
    if (!fs::is_directory(root, ec))
        return usageError(err, "no such directory: " + hostPathText(root));

    AppSettings settings;
    settings.paths.root = fs::absolute(root, ec);
    settings.paths.configFile = settings.paths.root / kConfigFileName;
    if (!o.fonts.empty()) {
        settings.paths.fontFile = hostFsPath(o.fonts);
    } else {
        // Beside the executable (build tree, portable copy), else where an installation keeps it.
        const fs::path exeDir = executablePath().parent_path();
        settings.paths.fontFile = exeDir / kFontFileName;
        const fs::path installed = exeDir.parent_path() / "share" / "corvane" / kFontFileName;
        if (!fs::exists(settings.paths.fontFile, ec) && fs::exists(installed, ec)) {
            settings.paths.fontFile = installed;
        }
    }
    settings.writeConfig = false;  // the runner reads vorn.ini when present, never writes it
    settings.startDir = hostPathText(fs::current_path(ec));

    HeadlessPlatform::Options po;
    po.realtime = o.realtime;
    po.instructionsPerSecond = o.ips;
    po.startDate = o.date;
    po.wakeFd = interruptDescriptor();
    po.screen = {o.screenWidth, o.screenHeight, 96};
    HeadlessPlatform platform(po);
    for (const std::string& answer : o.dialogAnswers) platform.addDialogAnswer(answer);
    platform.script() = o.script;

    App app(platform, settings);
    ConsoleCopy consoleCopy{out};
    if (o.copyStdout) app.onConsoleByte = [&](uint8_t b) { consoleCopy.put(b); };
    int status = app.startUp(cl.switches);
    bool writeFailed = false;
    auto finish = [&](int result) {
        if (app.hasMachine() && result == kRunInterrupted) {
            // Ended as the Exit command ends it: the program's files are closed, so what it
            // wrote reaches the disk before the process goes.
            std::fprintf(err, "corvane-run: interrupted by %s\n", interruptSignalName());
            app.command(kCmdExit);
        }
        if (app.hasMachine()) {
            for (const Capture& c : o.captures)
                if (c.frame == 0 && !writeCapture(c, app, err)) writeFailed = true;
            const Machine& m = app.machine();
            if (!o.dumpMem.empty()) {
                std::ofstream dump(hostFsPath(o.dumpMem), std::ios::binary | std::ios::trunc);
                dump.write(reinterpret_cast<const char*>(m.mem.data()),
                           std::streamsize(m.mem.size()));
                if (!dump) {
                    std::fprintf(err, "corvane-run: cannot write %s\n", o.dumpMem.c_str());
                    writeFailed = true;
                }
            }
            if (o.stats && app.hasWindow()) {
                std::fprintf(
                    out, "frames=%" PRIu64 " instructions=%" PRIu64 " clock-ns=%" PRIu64 "\n",
                    app.runLoop().frames(), app.runLoop().instructions(), platform.nowNs());
            }
            if (o.regs) {
                std::fprintf(out,
                             "pc=0x%06X osp=0x%02X fp=0x%04X sp=0x%04X regA=0x%08X regB=0x%08X "
                             "cond=0x%08X\n",
                             m.pc, m.osp, m.fp, m.sp, m.regA, m.regB, m.cond);
            }
        }
        // A program stopped at a limit has its files closed here too, so a write the host
        // cannot complete is reported rather than lost at the process's exit.
        if (status == 0) app.loader().exit();
        std::fflush(out);
        if (!tempRoot.empty()) fs::remove_all(tempRoot, ec);
        // The debugger hears the exit notice last.
        app.shutDown();
        // A capture or dump that could not be written fails the run: its output is missing.
        return writeFailed && result != kRunFault ? kRunUsage : result;
    };
    if (status != 0) {
        if (app.hasLoader() && !app.loader().loadProblem().empty()) {
            std::fprintf(err, "corvane-run: %s\n", app.loader().loadProblem().c_str());
        } else if (!fs::is_regular_file(settings.paths.fontFile, ec)) {
            std::fprintf(err, "corvane-run: %s: no font data file there (give one with --fonts)\n",
                         hostPathText(settings.paths.fontFile).c_str());
        }
        return finish(kRunUsage);
    }
    if (interruptRequested()) return finish(kRunInterrupted);

    if (!o.loadState.empty()) {
        if (!app.loadState(o.loadState)) return finish(kRunUsage);
        // The state continues the run it came from: the script's earlier frames are past, and
        // the keys held then are held now.
        platform.script().take(app.runLoop().frames());
        platform.setKeyboardState(app.machine().hostKeys);
    }
    if (o.speed != 0) {
        app.setSpeedSetting(o.speed);
        app.setSpeedLimited(true);
    }
    if (o.fastForward > 1) {
        app.setFastForwardFactor(uint32_t(std::min<uint64_t>(o.fastForward, 1'000'000)));
        app.toggleFastForward();
    }
    app.setViewMode(o.view);
    app.setRecordWindow(o.recordWindow);
    const int recordScale = o.recordScale != 0 ? int(o.recordScale) : (o.recordWindow ? 1 : 2);
    if (!o.record.empty() && !app.startRecording(o.record, recordScale)) return finish(kRunUsage);

    RunLoop& loop = app.runLoop();
    const uint64_t instructionLimit =
        o.instructionsGiven ? o.maxInstructions : (o.framesGiven ? 0 : kDefaultInstructionLimit);
    loop.setInstructionLimit(instructionLimit);
    if (o.instructionsGiven && o.maxInstructions == 0) loop.requestStop();
    const uint64_t frameLimit = o.framesGiven ? o.maxFrames : kDefaultFrameCap;
    bool frameLimitHit = o.framesGiven && o.maxFrames == 0;
    if (frameLimitHit) loop.requestStop();
    if (o.trace) loop.setTrace([out](const Machine& m) { printTrace(m, out); });

    size_t capturesLeft = 0;
    for (const Capture& c : o.captures) capturesLeft += c.frame != 0;
    for (const auto& save : o.saveStates) capturesLeft += save.first > app.runLoop().frames();
    app.onFrameStart = [&](uint64_t frame) { platform.releaseFrame(frame); };
    app.onFrameEnd = [&](uint64_t frame) {
        for (const Capture& c : o.captures) {
            if (c.frame == frame) {
                if (!writeCapture(c, app, err)) writeFailed = true;
                --capturesLeft;
            }
        }
        for (const auto& [saveFrame, file] : o.saveStates) {
            if (saveFrame == frame) {
                app.saveState(file);
                --capturesLeft;
            }
        }
        if (frame >= frameLimit) {
            frameLimitHit = true;
            loop.requestStop();
        }
    };

    // The status the run ends with, from how the last program stopped.
    auto outcome = [&]() {
        const Machine& m = app.machine();
        const ProgramEnd end = app.loader().lastEnd();
        if (!m.programLoaded && end == ProgramEnd::Fault) return kRunFault;
        if (app.quitRequested()) return kRunEnded;
        if (!m.programLoaded && end == ProgramEnd::ByItself) {
            if (!o.exitStatus) return kRunEnded;
            // The value a program ends with is the one it pushed last.
            return int(m.mem[kOperandRing + uint8_t(m.osp - 4)]);
        }
        return kRunLimit;
    };

    while (!frameLimitHit) {
        if (interruptRequested()) return finish(kRunInterrupted);
        app.dispatchEvents();
        if (app.quitRequested()) break;
        const SliceResult s = app.turn();
        if (app.quitRequested() || frameLimitHit || loop.limitReached()) break;
        const bool inputLeft = platform.inputPending() || capturesLeft != 0;
        if (!app.machine().programLoaded && !inputLeft) break;
        if (s.idle == IdleReason::None) continue;
        if (s.idle == IdleReason::Stopped) break;
        const bool stuck = s.idle == IdleReason::WaitKey || s.idle == IdleReason::Paused ||
                           s.idle == IdleReason::NoProgram;
        if (stuck && !inputLeft) {
            // Paused at a stop with a debugger attached: its resume request is the progress.
            if (s.idle == IdleReason::Paused && platform.debuggerLinked()) {
                platform.waitForDebugger();
                continue;
            }
            break;
        }
        platform.waitUntil(s.wakeNs);
    }
    const int result = outcome();
    if (result == kRunLimit) reportLimit(err, o, loop, app.machine(), frameLimitHit);
    return finish(result);
}

}  // namespace corvane
