#include <memory>

#include "tools/vrndbg/tcp_transport.h"
#include "tools/vrndbg/transport_choice.h"
#include "tools/vrndbg/window_transport.h"

namespace corvane {

SimulatorLink makeTransport(bool runner) {
    // corvane-run.exe has no window: it connects to the TCP port "/W" names and reads its
    // arguments one by one, as on Linux. corvane.exe sends window messages to the window "/W"
    // names and reads its command line as one text.
    if (runner) return {std::make_unique<TcpTransport>(), false};
    return {std::make_unique<WindowTransport>(), true};
}

}  // namespace corvane
