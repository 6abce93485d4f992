#include "host/platform/tty/tty_run.h"

#include <unistd.h>

#include <cstdlib>

#include "host/menu.h"
#include "host/platform/headless/interrupt.h"
#include "host/platform/tty/tty_platform.h"
#include "vm/machine.h"

namespace corvane {

namespace {

constexpr int kEnded = 0;
constexpr int kFailed = 1;
constexpr int kFault = 3;
constexpr int kInterrupted = 130;

// Keeps what is written on stderr while the terminal is taken (it would land in the drawing,
// without line ends in raw mode) and writes it out afterwards.
class HeldStderr {
  public:
    HeldStderr() {
        if (!isatty(STDERR_FILENO)) return;
        std::fflush(stderr);
        file_ = std::tmpfile();
        if (!file_) return;
        saved_ = dup(STDERR_FILENO);
        if (saved_ < 0 || dup2(fileno(file_), STDERR_FILENO) < 0) release();
    }
    ~HeldStderr() { release(); }
    void release() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, STDERR_FILENO);
            close(saved_);
            saved_ = -1;
            std::rewind(file_);
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
                std::fwrite(buffer, 1, n, stderr);
            std::fflush(stderr);
        }
        if (file_) std::fclose(file_);
        file_ = nullptr;
    }

  private:
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

}  // namespace

bool validTtyCells(const std::string& cells) {
    return cells == "auto" || cells == "half" || cells == "braille";
}

int runTerminal(const Switches& switches, const AppSettings& settings, const TtyRequest& request,
                std::FILE* err) {
    if (!switches.image) {
        std::fputs("corvane-run: --tty needs a program image to play\n", err);
        return kFailed;
    }
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::fputs("corvane-run: --tty needs a terminal: standard input and output are not one\n",
                   err);
        return kFailed;
    }
    TtyOptions options;
    options.autoMode = request.cells == "auto";
    options.mode = request.cells == "braille" ? CellMode::Braille : CellMode::HalfBlocks;
    options.depth = colorDepthFromEnvironment(std::getenv("TERM"), std::getenv("COLORTERM"),
                                              std::getenv("NO_COLOR"));
    options.wakeFd = request.wakeFd;
    const TerminalSize size = terminalSize(STDOUT_FILENO);
    const TerminalSize need = cellsOf(options.autoMode ? CellMode::Braille : options.mode);
    if (size.columns < need.columns || size.rows < need.rows) {
        std::fprintf(err,
                     "corvane-run: the terminal is %d x %d characters; make it at least %d x %d "
                     "to play in it\n",
                     size.columns, size.rows, need.columns, need.rows);
        return kFailed;
    }

    int status = kEnded;
    std::vector<std::string> messages;
    {
        HeldStderr held;
        Terminal terminal(STDIN_FILENO, STDOUT_FILENO);
        if (!terminal.ok()) {
            held.release();
            std::fprintf(err, "corvane-run: %s\n", terminal.error().c_str());
            return kFailed;
        }
        TtyPlatform platform(terminal, options);
        App app(platform, settings);
        status = app.startUp(switches);
        if (status != 0) {
            status = kFailed;
        } else {
            for (;;) {
                if (interruptRequested()) {
                    app.command(kCmdExit);
                    status = kInterrupted;
                    break;
                }
                app.dispatchEvents();
                if (app.quitRequested()) break;
                const SliceResult s = app.turn();
                if (app.quitRequested()) break;
                if (!app.machine().programLoaded) {
                    status = app.loader().lastEnd() == ProgramEnd::Fault ? kFault : kEnded;
                    break;
                }
                if (s.idle != IdleReason::None) platform.waitUntil(s.wakeNs);
            }
            if (app.machine().programLoaded) app.loader().exit();
            app.shutDown();
        }
        // Said once: a load problem the host showed as a box is on stderr already.
        if (status == kFailed && app.hasLoader() && !app.loader().loadProblem().empty()) {
            const std::string& problem = app.loader().loadProblem();
            bool shown = false;
            for (const std::string& m : platform.messages()) shown = shown || m == problem;
            if (!shown) messages.push_back(problem);
        }
        terminal.restore();
    }
    for (const std::string& m : messages) std::fprintf(err, "corvane-run: %s\n", m.c_str());
    if (status == kInterrupted)
        std::fprintf(err, "corvane-run: interrupted by %s\n", interruptSignalName());
    return status;
}

}  // namespace corvane
