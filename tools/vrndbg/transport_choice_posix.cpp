#include <memory>

#include "tools/vrndbg/tcp_transport.h"
#include "tools/vrndbg/transport_choice.h"

namespace corvane {

std::unique_ptr<DebugTransport> makeTransport(bool) {
    // Both simulators connect to a TCP port here; the commands come from standard input.
    return std::make_unique<TcpTransport>();
}

}  // namespace corvane
