#pragma once
// Which link the debugger makes for the simulator it starts: the one that simulator speaks on
// this system.

#include <memory>

#include "tools/vrndbg/transport.h"

namespace corvane {

// The link for corvane (`runner` false) or corvane-run (`runner` true).
std::unique_ptr<DebugTransport> makeTransport(bool runner);

}  // namespace corvane
