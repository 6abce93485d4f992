#include "host/dap_host.h"

#include <algorithm>
#include <chrono>

#include "host/app.h"
#include "host/dap_port.h"
#include "host/loader.h"
#include "host/platform.h"
#include "host/runloop.h"
#include "vm/machine.h"

namespace corvane {

namespace {

// How often a run with nobody attached looks for a client: often enough to seem at once, rarely
// enough to cost nothing beside the instructions.
constexpr uint64_t kLookEveryNs = 10'000'000;
// The longest a window held at a stop sleeps without looking at its client (its waits wake on
// the connection too; this only bounds a wake-up the platform cannot give).
constexpr uint64_t kHeldWaitNs = 50'000'000;

uint64_t steadyNs() {
    return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

}  // namespace

DapHost::DapHost(DapSession& session) : fixed_(&session) {}

DapHost::DapHost(DapPort& port, Mode mode) : port_(&port), mode_(mode) {}

DapHost::~DapHost() {
    if (session_) dropSession();
}

void DapHost::setPlatformMarks(PlatformMarks marks) {
    if (fixed_) {
        fixed_->setPlatformMarks(std::move(marks));
        return;
    }
    marks_ = std::move(marks);
}

void DapHost::launched(App& app, const std::string& imagePath) {
    app_ = &app;
    if (fixed_) fixed_->launched(app, imagePath);
}

void DapHost::output(const std::string& category, const std::string& text) {
    if (fixed_) {
        fixed_->output(category, text);
        return;
    }
    if (session_ && live_) session_->output(category, text);
}

void DapHost::takeClient() {
    if (!app_) return;
    const uint64_t now = steadyNs();
    // A window looks whenever it is woken (its waits watch the listener); a run looks now and
    // then, as it has no waits to be woken from.
    if (mode_ == Mode::Runner && now < nextLookNs_) return;
    nextLookNs_ = now + kLookEveryNs;
    link_ = port_->accept();
    if (!link_) return;
    session_ = std::make_unique<DapSession>(*link_);
    // Until its launch or attach has come, the program goes on as if nobody were there.
    session_->setWaits(false);
    started_ = live_ = wasStopped_ = false;
    if (onDescriptor) onDescriptor(link_->descriptor(), true);
}

void DapHost::begin(const std::vector<std::string>& start) {
    started_ = true;
    const bool window = mode_ == Mode::Window;
    if (!session_->attaching()) {
        if (!window) {
            session_->launchFailed(
                "this simulator already runs its program: attach to it (\"request\": \"attach\")");
            return;
        }
        if (start.size() > 1)
            session_->output("stderr",
                             "corvane: the window takes no runner options; \"args\" ignored\n");
        if (!app_->openProgram(start.back())) {
            const std::string& why = app_->loader().loadProblem();
            session_->launchFailed(why.empty() ? "cannot open " + start.back() : why);
            return;
        }
    } else if (!app_->machine().programLoaded) {
        session_->launchFailed(window ? "no program is running to attach to: open one in the "
                                        "window, or launch one"
                                      : "no program is running to attach to");
        return;
    }
    session_->setWaits(!window);
    session_->setRestartInPlace(true);
    if (marks_.take) session_->setPlatformMarks(marks_);
    consoleBefore_ = app_->onConsoleByte;
    session_->launched(*app_, app_->loader().imagePath());
    live_ = true;
}

void DapHost::restartInPlace() {
    // The image runs again from its start in the same simulator, as F8 restarts it.
    release();
    app_->loader().reset();
    session_->beginRestart();
    if (marks_.take) session_->setPlatformMarks(marks_);
    session_->launched(*app_, app_->loader().imagePath());
}

void DapHost::release() {
    // Nothing of the session may be called any more, and nothing holds the program.
    app_->runLoop().setGate(nullptr);
    app_->runLoop().clearHoldAt();
    app_->onConsoleByte = consoleBefore_;
}

void DapHost::dropSession() {
    if (live_ && app_) release();
    if (onDescriptor && link_) onDescriptor(link_->descriptor(), false);
    session_.reset();
    link_.reset();
    started_ = live_ = wasStopped_ = false;
}

bool DapHost::serve() {
    if (fixed_) return fixed_->serve();
    if (!session_) takeClient();
    if (!session_) return true;
    if (!started_) {
        const std::optional<std::vector<std::string>> start = session_->awaitLaunch();
        if (!start) {
            if (session_->clientLeft()) dropSession();
            return true;
        }
        begin(*start);
    }
    const bool goOn = session_->serve();
    if (live_ && session_->restartRequested()) {
        restartInPlace();
        return true;
    }
    // The client ended the program: the run stops, and finished() tells the client so.
    if (session_->terminateRequested()) return false;
    if (session_->clientLeft() || !goOn) dropSession();
    return true;
}

bool DapHost::mayRun() const {
    if (fixed_ || !live_) return true;
    return session_->mayRun();
}

void DapHost::afterTurn() {
    if (fixed_) {
        fixed_->afterTurn();
        return;
    }
    if (!live_) return;
    session_->afterTurn();
    if (mode_ != Mode::Window) return;
    const bool stopped = session_->stopped();
    // The LCD as the program has left it at the stop, not as the last whole frame showed it.
    if (stopped && !wasStopped_) app_->showProgramNow();
    wasStopped_ = stopped;
    if (!stopped && !app_->machine().programLoaded) {
        // The program ended in the window, which goes on: the client hears it, and may leave.
        release();
        live_ = false;
        session_->exited(app_->loader().lastEnd() == ProgramEnd::Fault ? 3 : 0);
    }
}

bool DapHost::holds() {
    if (fixed_) return fixed_->holds();
    return live_ && session_->holds();
}

void DapHost::finished(int status) {
    if (fixed_ || !session_) return;
    if (live_) {
        live_ = false;
        if (mode_ == Mode::Runner) {
            session_->finished(status);  // the app is gone with the run
        } else {
            // The window's app lives on to its shutdown, without the session.
            release();
            session_->exited(status);
        }
    }
    dropSession();
}

int runWindow(App& app, Platform& platform, std::optional<uint16_t> port, std::FILE* err) {
    if (!port) return app.run();
    DapPort listener;
    if (!listener.listen(*port)) {
        std::fprintf(err, "corvane: cannot listen on 127.0.0.1:%u\n", unsigned(*port));
        return kStartUpFailed;
    }
    std::fprintf(err, "corvane: debug server listening on 127.0.0.1:%u\n",
                 unsigned(listener.port()));
    std::fflush(err);
    DapHost host(listener, DapHost::Mode::Window);
    host.onDescriptor = [&platform](int fd, bool watch) { platform.watchSocket(fd, watch); };
    platform.watchSocket(listener.descriptor(), true);
    const int status = runWithDebugServer(app, platform, host);
    platform.watchSocket(listener.descriptor(), false);
    return status;
}

int runWithDebugServer(App& app, Platform& platform, DapHost& host) {
    host.launched(app, app.loader().imagePath());
    while (!app.quitRequested()) {
        app.dispatchEvents();
        if (app.quitRequested()) break;
        if (!host.serve()) break;
        if (app.quitRequested()) break;
        if (!host.mayRun()) {
            // Held by the debugger: the window paints and answers, the program stays put.
            platform.waitUntil(platform.nowNs() + kHeldWaitNs);
            continue;
        }
        const SliceResult s = app.turn();
        host.afterTurn();
        if (app.quitRequested()) break;
        if (host.holds()) continue;
        if (s.idle != IdleReason::None)
            platform.waitUntil(std::min(s.wakeNs, platform.nowNs() + kHeldWaitNs));
    }
    host.finished(app.exitCode());
    return app.exitCode();
}

}  // namespace corvane
