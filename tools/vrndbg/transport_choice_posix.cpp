#include <memory>

#include "tools/vrndbg/tcp_transport.h"
#include "tools/vrndbg/transport_choice.h"

namespace corvane {

SimulatorLink makeTransport(bool) {
    // Both simulators connect to a TCP port here and read their arguments one by one.
    return {std::make_unique<TcpTransport>(), false};
}

}  // namespace corvane
