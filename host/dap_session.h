#pragma once
// The debug server's session: the Debug Adapter Protocol's requests over a program the host runs.
// Requests are handled between two instructions: the run loop's gate asks the session before each
// instruction whether the program may go on (breakpoints, steps, a pause), and while the program
// is stopped the host takes no turn at all, so its clock stands still and scripted input arrives
// at the same point of the program however long a stop lasts.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/reverse_history.h"
#include "shared/debuginfo/debug_info.h"

namespace corvane {

class App;
struct Machine;
class ValueReader;
struct Value;

// What arrives from the client: a message body, a framing error, or the end of the connection.
struct DapIncoming {
    enum class Kind { Message, Error, Closed } kind = Kind::Closed;
    std::string text;
};

// The connection to the client.
class DapLink {
  public:
    virtual ~DapLink() = default;
    virtual void send(const std::string& body) = 0;
    // The next incoming item: waits for one when `wait`, else nothing when none is there.
    virtual std::optional<DapIncoming> receive(bool wait) = 0;
};

// What the platform keeps of a run beside the machine (its clock, the input still to come), for
// reverse execution: `take` marks where it stands, `restore` puts it back there. A platform
// without them (real time) cannot go back.
struct PlatformMarks {
    std::function<std::shared_ptr<const void>()> take;
    std::function<void(const std::shared_ptr<const void>&)> restore;
};

// Checkpoints are taken between two turns once this many instructions or frames have passed
// since the last one: a step back replays at most about that much, twice.
struct ReverseSettings {
    uint64_t instructions = 400'000;
    uint64_t frames = 120;
    size_t keyEvery = 32;
};

class DapSession {
  public:
    explicit DapSession(DapLink& link);
    ~DapSession();

    // Handles requests until a launch or attach request: the launch's program and the runner
    // options it asks for (`args` first, the image last; empty for an attach). Nothing when the
    // client left first, or, when the session does not wait, when none has come yet.
    std::optional<std::vector<std::string>> awaitLaunch();
    // Whether the request that started the session was attach (to a program already running).
    bool attaching() const { return startCommand_ == "attach"; }
    // Whether the session waits for the client while the program is held (the runner, which has
    // nothing else to do), or only handles what has come (a window, which keeps answering).
    void setWaits(bool waits) { waits_ = waits; }
    // A restart is carried out by whoever runs the program (a window restarts its image) rather
    // than by ending the run.
    void setRestartInPlace(bool inPlace) { restartInPlace_ = inPlace; }
    // Whether the program may take its next turn: configured, and not held at a stop.
    bool mayRun() const { return configured_ && state_ != State::Stopped; }
    // Whether the client has left the session: disconnected (the program running on) or gone.
    bool clientLeft() const { return clientGone_ || detached_; }
    // Whether the client asked the program to end (terminate, or disconnect with
    // terminateDebuggee).
    bool terminateRequested() const { return terminateRequested_; }
    // The launch failed: its error response carries `why`, and the session ends.
    void launchFailed(const std::string& why);
    // The program is loaded: answers the launch request and starts the configuration. Installs
    // the gate and the console copy on `app`.
    void launched(App& app, const std::string& imagePath);

    // Between two turns: handles the requests that came, and waits for more while the program
    // is stopped or not yet configured. False when the client ended the session (terminate,
    // disconnect, or the connection closed) and the program is to end.
    bool serve();
    // After a turn: reports a stop the gate decided or a fault, and the console's new text.
    void afterTurn();
    // Whether launched() was called: the program was loaded.
    bool launchedProgram() const { return launchedProgram_; }
    // Whether the program is held at a stop.
    bool stopped() const { return state_ == State::Stopped; }
    // Whether the runner is to go on at once, letting no time pass: the program is stopped, or
    // the session has just put it back to an earlier point to replay from there.
    bool holds();

    // Reverse execution: before launched().
    void setPlatformMarks(PlatformMarks marks) { marks_ = std::move(marks); }
    void setReverseSettings(ReverseSettings settings) { reverseSettings_ = settings; }
    const CheckpointStore& checkpoints() const { return checkpoints_; }
    // The time spent taking them, so far.
    double checkpointSeconds() const {
        return std::chrono::duration<double>(checkpointTime_).count();
    }
    // Whether the client asked to run the program again from its start: the run ends (serve()
    // says so) and the same session launches it anew with beginRestart()'s runner options.
    bool restartRequested() const { return restartRequested_; }
    std::vector<std::string> beginRestart();

    // Text for the client's console.
    void output(const std::string& category, const std::string& text);
    // The run ended with `status`: exited and terminated events, then the last requests until
    // the client disconnects.
    void finished(int status);
    // The same events without waiting: serve() goes on taking the last requests.
    void exited(int status);

  private:
    enum class State { Configuring, Running, Stopped, Ended };
    enum class Step { None, In, Over, Out, Instruction };
    // Going back: a scan replays an interval and notes the last point that fits the goal; a seek
    // replays to that point and stops there.
    enum class Reverse { None, Scan, Seek };
    // Line: the previous line in this function or a caller (over the calls it made); LineInto:
    // the previous line anywhere (into a call's last line); Caller: the call that entered this
    // function; Instruction: the instruction before; Breakpoint: the last stop going forward.
    enum class Goal { Line, LineInto, Caller, Instruction, Breakpoint };
    struct SourceBreakpoint {
        int id = 0;
        int line = 0;
        uint32_t address = 0;  // 0: no line marker for it
        int actualLine = 0;
        std::string condition;
        std::string hitCondition;
        std::string logMessage;  // a log point: prints this, with {expressions}, and goes on
        std::string function;    // a function breakpoint: the function's name
        uint64_t hits = 0;
    };
    // A watchpoint: stops right after any of its bytes change.
    struct DataBreakpoint {
        int id = 0;
        uint16_t address = 0;
        uint32_t size = 0;
        std::vector<uint8_t> last;  // the bytes as the program last left them
    };
    struct Container;

    bool handle(const std::string& body);
    bool dispatch(const std::string& command, const void* args, int seq);
    void respond(int seq, const std::string& command, const void* body);
    void fail(int seq, const std::string& command, const std::string& message);
    void event(const std::string& name, const void* body);
    bool gate(const Machine& m);
    void stopAt(const std::string& reason, const std::string& text, std::vector<int> hitIds = {});
    void resume(Step step, bool instructionLevel);
    void buildFrames();
    bool conditionHolds(SourceBreakpoint& bp, const Machine& m);
    // A breakpoint whose condition holds: a log point prints its message and false is returned.
    bool breakpointStops(SourceBreakpoint& bp, const Machine& m);
    std::string logText(const std::string& message, const Machine& m);
    // The ids of the watchpoints whose bytes changed since last looked at.
    std::vector<int> changedWatches(const Machine& m);
    // The value a variables reference's child `name` stands for.
    bool childValue(int reference, const std::string& name, Value& out, size_t& frame);
    void setVariable(int seq, const void* args);
    void setExpression(int seq, const void* args);
    // Stores C's assignment of the expression `text` to `target` (in frame `frame`) and answers
    // with the value it now has.
    void assign(int seq, const std::string& command, const Value& target, size_t frame,
                const std::string& text);
    void dataBreakpointInfo(int seq, const void* args);
    void setDataBreakpoints(int seq, const void* args);
    void writeMemory(int seq, const void* args);
    // Places a line breakpoint of the source `path`: by the debug information, or in an assembly
    // source of a program without it by the `.line` markers.
    void placeSourceBreakpoint(SourceBreakpoint& bp, const std::string& path);
    // Why a line breakpoint of `path` has no place, in the client's words.
    std::string unplacedReason(const SourceBreakpoint& bp, const std::string& path) const;
    // The `LINE n` markers of a program without debug information.
    void findLineMarkers();
    void placeFunctionBreakpoint(SourceBreakpoint& bp);
    void placeAgain();
    bool takeLaunchArguments(int seq, const std::string& command, const void* args);
    std::string sourcePath(int file) const;
    static std::string sourcePathIn(const DebugInfo& info, int file);
    // The file number of a source path as the client names it (0: not a file of the program).
    int fileFor(const std::string& path) const;
    static int fileIn(const DebugInfo& info, const std::string& path);
    int addContainer(Container c);
    void flushConsole();
    // The window opened another image or closed the program: the session follows.
    void followWindow();
    // The paths of the program's source files (its debug information's).
    std::vector<std::string> sourcePaths() const;
    void endProgram();
    // dap_reverse.cpp
    void takeCheckpoint();
    void maybeCheckpoint();
    bool restoreCheckpoint(size_t index);
    bool reverseGate(const Machine& m, uint64_t count);
    void considerCandidate(const Machine& m, uint64_t count, bool watchesOnly);
    bool beginReverse(Goal goal, std::string& error);
    void startScan(size_t index, uint64_t candidatesBefore, uint64_t endAt, bool watchAtEnd);
    void startSeek(uint64_t target, const std::string& reason, std::vector<int> hits);
    void finishScan();
    // The seek reached its instruction: the stop is reported.
    void seekArrived();
    // The client changed the program's data: the checkpoints from here on no longer hold.
    void dataWritten();
    bool conditionTrue(const SourceBreakpoint& bp, const Machine& m);
    // The frame base of the stop's innermost frame, and forgetting what the stop showed.
    uint16_t stopFrameFp() const;
    uint32_t stopFramePc() const;
    // The line value of the line marker a code address follows in its function (0: none).
    uint32_t lineValueAt(uint32_t pc);
    void dropStopView();
    // Whether any breakpoint or watchpoint could stop the program.
    bool anythingToStopAt() const;

    DapLink& link_;
    int seq_ = 1;
    State state_ = State::Configuring;
    App* app_ = nullptr;
    std::optional<DebugInfo> info_;
    std::string imagePath_;
    int launchSeq_ = 0;
    std::vector<std::string> launchArgs_;
    std::string startCommand_ = "launch";  // or "attach"
    bool waits_ = true;
    bool restartInPlace_ = false;
    bool stopOnEntry_ = false;
    bool configured_ = false;
    bool launchedProgram_ = false;
    bool clientGone_ = false;
    bool detached_ = false;  // disconnected without ending the program
    bool terminateRequested_ = false;
    bool exitedSent_ = false;
    bool restartRequested_ = false;
    bool restarting_ = false;
    bool followingOpen_ = false;  // launched() is taking an image the window opened
    bool clientTakesInvalidated_ = false;
    uint64_t programLoads_ = 0;  // the loader's count of loads when the program was taken

    // Breakpoints and stepping.
    std::map<std::string, std::vector<SourceBreakpoint>> sourceBreakpoints_;
    std::set<uint32_t> instructionBreakpoints_;
    std::vector<SourceBreakpoint> functionBreakpoints_;
    std::vector<DataBreakpoint> dataBreakpoints_;
    std::set<uint32_t> lineAddresses_;
    // Without debug information: each `LINE n` marker's address, n, and the number of the
    // source file that wrote it in `markSources_` (0: not recorded), in address order. An
    // assembly program's `.line` alone writes the line it stands on.
    struct LineMarker {
        uint32_t address = 0;
        uint32_t value = 0;
        int file = 0;
    };
    std::vector<LineMarker> lineMarkers_;
    // An assembly program's records (`vrnasm -g`): its source files and which wrote each marker.
    std::optional<DebugInfo> markSources_;
    bool stopOnFaults_ = false;
    int nextBreakpointId_ = 1;
    Step step_ = Step::None;
    uint16_t stepFp_ = 0;
    bool skipGateOnce_ = false;
    uint32_t resumePc_ = 0;
    bool pauseRequested_ = false;
    std::optional<std::pair<std::string, std::string>> pendingStop_;  // reason, text
    std::vector<int> pendingHits_;
    bool faultReported_ = false;
    std::string faultText_;
    uint32_t faultPc_ = 0;

    // What a stop shows; rebuilt at each stop.
    struct FrameView;
    std::vector<std::unique_ptr<FrameView>> frames_;
    std::vector<Container> containers_;
    std::vector<uint32_t> instructionAddresses_;  // of the whole image, for disassemble

    std::string console_;
    int consoleLead_ = -1;

    // Reverse execution.
    PlatformMarks marks_;
    ReverseSettings reverseSettings_;
    CheckpointStore checkpoints_;
    std::chrono::steady_clock::duration checkpointTime_{};
    uint64_t lastGateCount_ = 0;  // the count at the last instruction the gate let through
    Reverse reverse_ = Reverse::None;
    Goal goal_ = Goal::Line;
    bool replaying_ = false;  // from a reverse request until its stop is reported
    bool repositioned_ = false;
    bool scanDone_ = false;
    size_t scanFrom_ = 0;
    uint64_t candidatesBefore_ = 0;
    uint64_t scanEnd_ = 0;
    bool watchAtEnd_ = false;
    uint16_t goalFp_ = 0;
    uint32_t goalLine_ = 0;
    std::optional<uint64_t> lineFallback_;
    std::map<uint32_t, uint32_t> lineOfPc_;
    std::optional<uint64_t> candidate_;
    std::string candidateReason_;
    std::vector<int> candidateHits_;
    std::vector<std::vector<uint8_t>> scanWatch_;
    uint64_t seekTarget_ = 0;
    std::string seekReason_;
    std::vector<int> seekHits_;
};

}  // namespace corvane
