#pragma once
// SIGINT and SIGTERM end the desktop program the orderly way, as the Exit command does: the
// handler only writes a byte into a pipe, which the event loop waits on and turns into Quit.

namespace corvane {

// Installs the handlers; false when the pipe cannot be made.
bool installQuitSignals();

// The pipe's read end (-1 before installQuitSignals), for the event loop to wait on.
int quitSignalDescriptor();

// Whether a signal came since the last call; drains the pipe.
bool takeQuitSignal();

}  // namespace corvane
