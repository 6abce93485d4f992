#pragma once
// The debug server as a run loop sees it, whoever runs the program: corvane-run or the window.
// Either one client already connected launches the program (corvane-run --dap), or clients
// come to a port one after the other while the program runs, each attaching to it (or, in the
// window, launching a program into it); a client that leaves without ending the program lets it
// run on, and the next one may attach again. The loop asks, between two turns: serve() the
// requests that came, mayRun() before a turn, afterTurn() and holds() after it.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/dap_session.h"

namespace corvane {

class App;
class DapPolledLink;
class DapPort;
class Platform;

class DapHost {
  public:
    // Runner: the session waits for its client while the program is held, and the end of the
    // run is the end of the program. Window: nothing waits, so the window keeps answering; the
    // program's end is reported as it happens, and a launch opens its image in the window.
    enum class Mode { Runner, Window };

    // One client, whose launch request the caller has taken (corvane-run --dap).
    explicit DapHost(DapSession& session);
    // The clients of `port`, one at a time.
    DapHost(DapPort& port, Mode mode);
    ~DapHost();
    DapHost(const DapHost&) = delete;
    DapHost& operator=(const DapHost&) = delete;

    // Reverse execution's platform marks, given to each session.
    void setPlatformMarks(PlatformMarks marks);
    // The host runs `app`; its program is `imagePath` (the window may open others later).
    void launched(App& app, const std::string& imagePath);
    // Between two turns. False when a client ended the program (the run is to stop).
    bool serve();
    // Whether the program may take a turn now (not held at a stop nor being configured).
    bool mayRun() const;
    void afterTurn();
    // After a turn: go on at once, letting no time pass (held, or put back to replay).
    bool holds();
    // Text for the client's console, when one is attached.
    void output(const std::string& category, const std::string& text);
    // The run ended with `status` (corvane-run): an attached client hears it.
    void finished(int status);
    // Called with a descriptor to wake the platform's waits on (true) or no more (false): the
    // listener's and each client's connection.
    std::function<void(int, bool)> onDescriptor;

  private:
    void takeClient();
    void begin(const std::vector<std::string>& start);
    // The session is over: the program runs on without it.
    void dropSession();
    // The app runs on without the session's gate and console copy.
    void release();
    void restartInPlace();

    DapSession* fixed_ = nullptr;
    DapPort* port_ = nullptr;
    Mode mode_ = Mode::Runner;
    App* app_ = nullptr;
    PlatformMarks marks_;
    std::unique_ptr<DapPolledLink> link_;
    std::unique_ptr<DapSession> session_;
    bool started_ = false;  // the session's launch or attach request has come
    bool live_ = false;     // ... and the session debugs the program
    bool wasStopped_ = false;
    std::function<void(uint8_t)> consoleBefore_;
    uint64_t nextLookNs_ = 0;
};

// The window's run loop with the debug server served between its turns: as App::run(), and while
// the program is held the window goes on painting and answering. Returns the app's exit code.
int runWithDebugServer(App& app, Platform& platform, DapHost& host);
// The window's run: with "--dap-port N", listens on 127.0.0.1:N, says so on `err`, and runs the
// app with the server (kStartUpFailed when the port cannot be opened, said on `err`); without a
// port, the app's own run.
int runWindow(App& app, Platform& platform, std::optional<uint16_t> port, std::FILE* err);

}  // namespace corvane
