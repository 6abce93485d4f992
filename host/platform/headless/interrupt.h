#pragma once
// SIGTERM, SIGINT and SIGHUP end a run of corvane-run the orderly way, as the Exit command does:
// the program's open files are closed (so what it wrote reaches the disk), the temporary root is
// removed, and the runner exits with kRunInterrupted. The handler only sets a flag and writes a
// byte into a pipe; the run loop looks at the flag between slices, and every wait of the runner
// also watches the pipe, so a sleeping run ends at once. A second signal of the same kind kills
// the process as usual, for a run that cannot get back to its loop.

namespace corvane {

// Installs the handlers; false when the pipe cannot be made (the flag still works then).
bool installInterruptSignals();

// Whether one of the signals has arrived.
bool interruptRequested();

// The name of the first signal that arrived ("SIGTERM", "SIGINT", "SIGHUP"), or "" when none.
const char* interruptSignalName();

// The pipe's read end, readable once a signal has arrived (-1 before installInterruptSignals).
int interruptDescriptor();

}  // namespace corvane
