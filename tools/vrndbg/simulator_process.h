#pragma once
// The simulator the debugger starts: a child process whose standard input is not the
// debugger's (the commands are meant for the debugger), which can be asked whether it has ended
// and waited for. Each system has its own file for it.

#include <optional>
#include <string>
#include <vector>

namespace corvane {

class SimulatorProcess {
  public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Starts `program` with `args`; false when it cannot be started. With `wholeLine` (Windows)
    // the arguments go into its command line as they are, for a program that reads the line as
    // one text; otherwise each is quoted so that it reads back as one argument. With
    // `ownConsoleGroup` (Windows) the console's Ctrl+C does not reach it: the debugger's alone.
    bool start(const std::string& program, const std::vector<std::string>& args,
               bool wholeLine = false, bool ownConsoleGroup = false);
    // Its exit status once it has ended, without waiting.
    std::optional<int> ended();
    // Waits for it to end; its exit status (1 when it did not exit by itself).
    int wait();
    // The process for the system's own waits (Windows: its HANDLE); nullptr elsewhere.
    void* handle() const;

  private:
    long id_ = -1;
    void* handle_ = nullptr;
    std::optional<int> status_;
};

}  // namespace corvane
