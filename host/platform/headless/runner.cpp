#include "host/platform/headless/runner.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>

#include "host/app.h"
#include "host/cmdline.h"
#include "host/dap_host.h"
#include "host/dap_session.h"
#include "host/image_io.h"
#include "host/paths.h"
#include "host/platform/headless/headless_platform.h"
#include "host/platform/headless/input_session.h"
#include "host/platform/headless/interrupt.h"
#include "host/platform/headless/runner_options.h"
#if CORVANE_TTY
#include "host/platform/tty/tty_run.h"
#endif
#include "host/window.h"
#include "library/gb2312.h"
#include "library/path.h"
#include "shared/disasm/disassembler.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

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

void printTrace(const Machine& m, std::FILE* out) {
    if (m.waitForKey) return;  // a step that only looks for a key runs no instruction
    const std::string line = corvane::traceInstruction(m.image.get(), m.imageSize, m.pc, m.strKey);
    std::fprintf(out, "%s  osp=%02X\n", line.c_str(), m.osp);
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

// The Beep times, in milliseconds of the machine's clock, one a line.
bool writeBeeps(const std::string& file, const std::vector<uint64_t>& timesNs, std::FILE* err) {
    std::ofstream out(hostFsPath(file), std::ios::trunc);
    for (uint64_t ns : timesNs) {
        char line[48];
        std::snprintf(line, sizeof line, "%" PRIu64 ".%06" PRIu64 "\n", ns / 1'000'000,
                      ns % 1'000'000);
        out << line;
    }
    out.close();
    if (!out) std::fprintf(err, "corvane-run: cannot write %s\n", file.c_str());
    return bool(out);
}

int usageError(std::FILE* err, const std::string& message) {
    std::fprintf(err, "corvane-run: %s\n%s", message.c_str(), kRunnerUsage);
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
    return runHeadless(args, out, err, static_cast<DapHost*>(nullptr));
}

int runHeadless(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                DapSession* session) {
    if (!session) return runHeadless(args, out, err, static_cast<DapHost*>(nullptr));
    DapHost host(*session);
    return runHeadless(args, out, err, &host);
}

int runHeadless(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                DapHost* dap) {
    if (args.empty()) {
        std::fputs(kRunnerUsage, err);
        return kRunUsage;
    }
    ParseOutcome parsed = parseArguments(args, kRunnerOptions);
    if (!parsed.ok) return usageError(err, parsed.error);
    const CommandLine& cl = parsed.commandLine;
    if (cl.help) {
        std::fputs(kRunnerUsage, out);
        return kRunEnded;
    }
    if (cl.version) {
        std::fprintf(out, "corvane-run %s\n", CORVANE_VERSION);
        return kRunEnded;
    }
    RunnerOptions o;
    std::string error;
    if (!readOptions(cl, o, error)) return usageError(err, error);
    Switches switches = cl.switches;
    std::optional<InputReplay> replay;
    if (!o.replay.empty()) {
        replay.emplace();
        if (!replay->prepare(o.replay, o, switches, error)) return usageError(err, error);
    }
    if (!o.recordInput.empty() && o.realtime)
        return usageError(err, "--record-input needs the virtual clock: not with --realtime");
    if (!o.recordInput.empty() && !o.loadState.empty())
        return usageError(err,
                          "--record-input starts the log with the program's start: not with "
                          "--load-state");

    // Root directory: --root, $CORVANE_HOME, or a temporary directory made for this run.
    const PathInputs inputs = currentPathInputs();
    fs::path tempRoot;
    std::error_code ec;
    std::optional<fs::path> root = runnerRoot(inputs, o.root);
    if (!root) {
        tempRoot = makeTemporaryRoot();
        if (tempRoot.empty()) return usageError(err, "cannot make a temporary root directory");
        root = tempRoot;
    }
    // However the run ends (a fault, a limit, a usage error, the debug server), its temporary
    // root goes with it.
    struct RemoveOnExit {
        const fs::path& dir;
        ~RemoveOnExit() {
            std::error_code ignored;
            if (!dir.empty()) fs::remove_all(dir, ignored);
        }
    } removeTempRoot{tempRoot};
    if (!fs::is_directory(*root, ec))
        return usageError(err, "no such directory: " + hostPathText(*root));

    AppSettings settings;
    settings.paths = runnerPaths(inputs, *root, o.fonts);
    settings.writeConfig = false;  // the runner reads vorn.ini when present, never writes it
    settings.language = o.language;
    settings.startDir = hostPathText(fs::current_path(ec));

    if (o.tty) {
#if CORVANE_TTY
        const int result =
            runTerminal(switches, settings, {o.ttyCells, interruptDescriptor()}, err);
        return result;
#else
        return usageError(err, "--tty is not available on this system");
#endif
    }

    HeadlessPlatform::Options po;
    po.realtime = o.realtime;
    po.instructionsPerSecond = o.ips;
    po.startDate = o.date;
    po.wakeFd = interruptDescriptor();
    po.screen = {o.screenWidth, o.screenHeight, 96};
    HeadlessPlatform platform(po);
    for (const std::string& answer : o.dialogAnswers) platform.addDialogAnswer(answer);
    platform.script() = o.script;

    if (dap)
        platform.onMessage = [dap](const std::string& text) { dap->output("stderr", text + "\n"); };
    App app(platform, settings);
    ConsoleCopy consoleCopy{out};
    if (o.copyStdout) app.onConsoleByte = [&](uint8_t b) { consoleCopy.put(b); };
    std::vector<uint64_t> beeps;
    if (!o.beeps.empty()) app.onBeep = [&] { beeps.push_back(platform.nowNs()); };
    int status = app.startUp(switches);
    bool writeFailed = false;
    std::optional<InputRecorder> recorder;
    auto finish = [&](int result) {
        // The input log ends where the run stopped, before an interruption ends the program.
        std::string logError;
        if (recorder &&
            !recorder->finish(result, result == kRunInterrupted || app.runLoop().limitReached(),
                              logError)) {
            std::fprintf(err, "corvane-run: %s\n", logError.c_str());
            writeFailed = true;
        }
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
            if (!o.beeps.empty() && !writeBeeps(o.beeps, beeps, err)) writeFailed = true;
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
    if (replay && !replay->checkImage(app, error)) {
        std::fprintf(err, "corvane-run: %s\n", error.c_str());
        return finish(kRunUsage);
    }
    if (interruptRequested()) return finish(kRunInterrupted);
    if (!o.recordInput.empty()) recorder.emplace(o.recordInput, o.ips, o.date, app);

    if (!o.loadState.empty()) {
        if (!app.loadState(o.loadState)) return finish(kRunUsage);
        // The state continues the run it came from: the script's earlier frames are past, and
        // the keys held then are held now.
        platform.script().take(app.runLoop().frames());
        platform.setKeyboardState(app.machine().hostKeys);
    }
    // A state loaded later would take the frames back under the log's input.
    app.refuseStateLoads(recorder.has_value() || replay.has_value());
    if (o.speed != 0) {
        app.setSpeedSetting(o.speed);
        app.setSpeedLimited(true);
    }
    if (o.fastForward > 1) {
        app.setFastForwardFactor(uint32_t(std::min<uint64_t>(o.fastForward, 1'000'000)));
        app.toggleFastForward();
    }
    app.setViewMode(o.view);
    if (recorder) recorder->setView({app.viewMode(), o.screenWidth, o.screenHeight});
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
    app.onFrameStart = [&](uint64_t frame) {
        const std::vector<PlatformEvent> released = platform.releaseFrame(frame);
        if (recorder) recorder->released(loop.instructions(), frame, released);
        if (replay && !replay->frameStarted(loop.instructions(), frame)) loop.requestStop();
    };
    if (recorder) {
        platform.onDialogAnswer = [&](const std::string& answer) {
            recorder->dialogAnswer(loop.instructions(), loop.frames(), answer);
        };
    }
    app.onFrameEnd = [&](uint64_t frame) {
        if (recorder) recorder->frameEnded(loop.instructions(), frame);
        if (replay && !replay->frameEnded(app)) loop.requestStop();
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
    auto outcome = [&]() { return runStatus(app, o.exitStatus); };

    if (dap && !o.realtime) {
        // Reverse execution puts the virtual clock and the script back with each checkpoint,
        // and what the run already wrote out for the frames after it is made again.
        using Position = HeadlessPlatform::Position;
        dap->setPlatformMarks(
            {[&] { return std::make_shared<const Position>(platform.position(loop.frames())); },
             [&](const std::shared_ptr<const void>& mark) {
                 const Position& p = *static_cast<const Position*>(mark.get());
                 platform.restorePosition(p, o.script);
                 if (recorder) recorder->rewound(p.frame);
                 while (!beeps.empty() && beeps.back() > platform.nowNs()) beeps.pop_back();
                 capturesLeft = 0;
                 for (const Capture& c : o.captures) capturesLeft += c.frame > p.frame;
                 for (const auto& save : o.saveStates) capturesLeft += save.first > p.frame;
             }});
    }
    if (dap) dap->launched(app, app.loader().imagePath());
    while (!frameLimitHit) {
        if (interruptRequested()) return finish(kRunInterrupted);
        if (dap && !dap->serve()) break;
        app.dispatchEvents();
        if (app.quitRequested()) break;
        const SliceResult s = app.turn();
        if (dap) {
            dap->afterTurn();
            // Held at a stop (a fault's too), or put back to replay the past: no time passes.
            if (dap->holds()) continue;
        }
        if (app.quitRequested() || frameLimitHit || loop.limitReached()) break;
        const bool inputLeft = platform.inputPending() || capturesLeft != 0 ||
                               (replay && replay->goesOn(loop.frames()));
        if (!app.machine().programLoaded && !inputLeft) break;
        if (s.idle == IdleReason::None) continue;
        if (s.idle == IdleReason::Stopped) break;
        // Held at a stop by the debugger: the clock stands still until it resumes, so frames,
        // delays and scripted keys come at the same point of the program however long it takes.
        if (s.idle == IdleReason::Paused && app.machine().paused && platform.debuggerLinked()) {
            if (!platform.eventsQueued()) platform.waitForDebugger();
            continue;
        }
        const bool stuck = s.idle == IdleReason::WaitKey || s.idle == IdleReason::Paused ||
                           s.idle == IdleReason::NoProgram;
        if (stuck && !inputLeft) break;
        platform.waitUntil(s.wakeNs);
    }
    int result = outcome();
    if (replay && !replay->finished(app, result)) {
        std::fprintf(err, "corvane-run: %s: %s\n", o.replay.c_str(), replay->problem().c_str());
        return finish(kRunUsage);
    }
    if (result == kRunLimit && !replay) reportLimit(err, o, loop, app.machine(), frameLimitHit);
    return finish(result);
}

}  // namespace corvane
