#pragma once
// corvane-run as a debug server: "--dap" speaks the Debug Adapter Protocol on standard input and
// output (as an editor starts it), "--dap-port N" on a port of 127.0.0.1 (one client). The
// program and its further options come with the client's launch request. Given after the port,
// "--dap-port N [OPTIONS] IMAGE" runs the program at once, and clients attach to it as they come
// (the port stays open while it runs).

#include <cstdio>
#include <string>
#include <vector>

namespace corvane {

// Whether `args` ask for the debug server (their first argument is --dap or --dap-port).
bool wantsDapServer(const std::vector<std::string>& args);

// Serves one session; the exit status is the program's, as corvane-run gives it.
int runDapServer(const std::vector<std::string>& args, std::FILE* err);

}  // namespace corvane
