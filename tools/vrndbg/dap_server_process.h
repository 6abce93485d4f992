#pragma once
// The debug server vrndbg starts for itself: corvane-run as a DAP server whose connection is
// vrndbg's alone. On Linux it speaks on its standard input and output (`--dap`), which are one
// end of a socket pair, and it runs in a process group of its own, so that Ctrl+C in the
// terminal reaches only vrndbg (which turns it into a pause). On Windows, where a wait cannot
// watch a pipe, it listens on a free port of 127.0.0.1 (`--dap-port`) and vrndbg connects.

#include <memory>
#include <string>

namespace corvane {

class SimulatorProcess;

class DapServerProcess {
  public:
    DapServerProcess();
    ~DapServerProcess();
    DapServerProcess(const DapServerProcess&) = delete;
    DapServerProcess& operator=(const DapServerProcess&) = delete;

    // Starts `program` as a debug server: a connected socket to it, or -1 with `error` set.
    int start(const std::string& program, std::string& error);
    // Waits for it to end (it does once its client has disconnected): its exit status.
    int wait();

  private:
    long pid_ = -1;
    std::unique_ptr<SimulatorProcess> process_;
};

// A connection to a debug server listening on 127.0.0.1:`port` (corvane-run --dap-port, or the
// desktop app's), or -1.
int connectDapServer(int port);

}  // namespace corvane
