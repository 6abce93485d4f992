#pragma once
// How a run ends, as corvane-run's exit status says it and an input log's end record keeps it:
// the window's recordings and the runner's replays of them tell the end alike.

namespace corvane {

class App;

constexpr int kRunEnded = 0;          // the program ended by itself, or Exit (the window closed)
constexpr int kRunUsage = 1;          // a usage error, or the image could not be run
constexpr int kRunLimit = 2;          // a limit was reached, or no progress is left to make
constexpr int kRunFault = 3;          // the program was ended by a fault
constexpr int kRunInterrupted = 130;  // SIGTERM, SIGINT or SIGHUP

// The status from how the last program stopped. With `exitValue`, a program that ended by
// itself gives the value it pushed last.
int runStatus(App& app, bool exitValue = false);

}  // namespace corvane
