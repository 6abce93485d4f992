#pragma once
// Which link the debugger makes for the simulator it starts: the one that simulator speaks on
// this system.

#include <memory>

#include "tools/vrndbg/transport.h"

namespace corvane {

struct SimulatorLink {
    std::unique_ptr<DebugTransport> transport;
    // The simulator reads its command line as one text, searching it for the switches, and
    // "/R" takes the rest of the line: the arguments go in unquoted, the image last as "/R".
    bool wholeLine = false;
};

// The link for corvane (`runner` false) or corvane-run (`runner` true).
SimulatorLink makeTransport(bool runner);

}  // namespace corvane
