#pragma once
// One debugging session over an accepted debugger link: shows the attach notice, each stop with
// its line value, function identifier and frame base, and the exit notice; runs the user's
// commands against the snapshot of the current stop.
//
// Commands come from a terminal or a pipe. From a pipe every line waits until the program is
// stopped, so a script reads as a sequence of stops; from a terminal a line runs at once (and
// the memory views say so when the program is running).

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "host/debuglink.h"

namespace corvane {

class DebugSession {
  public:
    // `socketFd`: the simulator's connection. `stopValue`: the stop value the simulator started
    // with, which a bare "c" keeps.
    DebugSession(int socketFd, int32_t stopValue, std::FILE* out, bool interactive);

    // Runs until "q", the end of the input at a stop, the exit notice or a lost link. Returns 0,
    // or 1 when the link was lost without an exit notice.
    int run(int inputFd);
    // True once the simulator's exit notice arrived: it is ending and can be waited for.
    bool simulatorExited() const { return exited_; }

  private:
    void handle(const DebugRecord& record);
    // Carries out one command line; false when the session ends.
    bool command(const std::string& line);
    bool resume(int32_t stopValue);
    void quit();
    void prompt();

    DebugChannel channel_;
    std::FILE* out_;
    bool interactive_;
    int32_t stopValue_;
    std::deque<DebugRecord> records_;
    std::deque<std::string> lines_;
    std::string partial_;
    bool inputEnded_ = false;
    bool stopped_ = false;
    bool exited_ = false;
    bool prompted_ = false;
    std::vector<uint8_t> snapshot_;
    uint32_t dataWord_ = 0;
};

}  // namespace corvane
