#include <memory>

#include "tools/vrndbg/transport_choice.h"
#include "tools/vrndbg/window_transport.h"

namespace corvane {

std::unique_ptr<DebugTransport> makeTransport(bool runner, std::string* why) {
    if (runner) {
        // corvane-run.exe has no window: its link is the TCP channel.
        *why = "--runner is not available on Windows: corvane-run.exe has no window link";
        return nullptr;
    }
    return std::make_unique<WindowTransport>();
}

}  // namespace corvane
