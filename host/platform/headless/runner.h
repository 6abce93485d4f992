#pragma once
// corvane-run: the whole simulator without a window, over the same host code and command-line
// grammar as the desktop program. Exit statuses: 0 the program ended by itself or after a
// scripted Exit; 1 a usage error, or the image could not be opened or is not valid; 2 a limit was
// reached, or the machine can make no more progress (waiting for a key, paused, no program) and
// no scripted input is left; 3 the program was ended by a fault; 130 the run was interrupted by
// SIGTERM, SIGINT or SIGHUP (the program was ended as by Exit, its files closed).

#include <cstdio>
#include <string>
#include <vector>

#include "host/run_status.h"

namespace corvane {

// Runs the runner with `args` (the program name excluded). Regular output (--regs, --trace,
// --help, --version) goes to `out`; messages to `err`.
int runHeadless(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

class DapSession;
class DapHost;
// The same run under the debug server: `dap` is told when the program is loaded, serves its
// client between turns and holds the program at its stops.
int runHeadless(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                DapSession* dap);
// The same with the clients of a port attaching to the run as they come.
int runHeadless(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, DapHost* dap);

}  // namespace corvane
