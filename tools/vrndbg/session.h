#pragma once
// One debugging session over an attached debugger link: shows the attach notice, each stop with
// its line value, function identifier and frame base, and the exit notice; runs the user's
// commands against the snapshot of the current stop.
//
// Commands come from a terminal or a pipe. From a pipe every line waits until the program is
// stopped, so a script reads as a sequence of stops, unless no stop can come (after "c -1");
// from a terminal a line runs at once (and the memory views say so when the program is
// running).

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "shared/debuglink.h"
#include "tools/vrndbg/command_input.h"

namespace corvane {

class DebugTransport;
class SourceDebugger;

class DebugSession {
  public:
    // `link`: the attached simulator, which also brings the user's typing. `stopValue`: the stop
    // value the simulator started with, which a bare "c" keeps.
    DebugSession(DebugTransport& link, int32_t stopValue, std::FILE* out, bool interactive);

    // Runs until "q", the end of the input at a stop, the exit notice or a lost link. Returns 0,
    // or 1 when the link was lost without an exit notice.
    int run();
    // True once the simulator's exit notice arrived: it is ending and can be waited for.
    bool simulatorExited() const { return exited_; }
    // With the program's debug information: stops show source lines and the source commands
    // are there too.
    void setSourceDebugger(SourceDebugger* source) { source_ = source; }

  private:
    void handle(const DebugRecord& record);
    // Carries out one command line; false when the session ends.
    bool command(const std::string& line);
    bool resume(int32_t stopValue);
    void quit();
    void prompt();

    DebugTransport& link_;
    std::FILE* out_;
    bool interactive_;
    int32_t stopValue_;
    std::deque<DebugRecord> records_;
    CommandInput input_;
    bool stopped_ = false;
    bool exited_ = false;
    bool prompted_ = false;
    std::vector<uint8_t> snapshot_;
    uint32_t dataWord_ = 0;
    SourceDebugger* source_ = nullptr;
};

}  // namespace corvane
