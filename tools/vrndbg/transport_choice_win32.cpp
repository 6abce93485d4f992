#include <memory>

#include "tools/vrndbg/tcp_transport.h"
#include "tools/vrndbg/transport_choice.h"
#include "tools/vrndbg/window_transport.h"

namespace corvane {

std::unique_ptr<DebugTransport> makeTransport(bool runner) {
    // corvane.exe sends window messages to the window "/W" names; corvane-run.exe has no window
    // and connects to the TCP port "/W" names, as both simulators do on Linux.
    if (runner) return std::make_unique<TcpTransport>();
    return std::make_unique<WindowTransport>();
}

}  // namespace corvane
