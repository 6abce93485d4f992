#pragma once
// The link as a TCP connection on 127.0.0.1: we listen on a free port, the simulator gets
// "/W<port>" and connects; records travel as the host's debugger channel frames them. The user's
// typing is read from standard input in the same wait as the socket.

#include "shared/debuglink.h"
#include "tools/vrndbg/console_reader.h"
#include "tools/vrndbg/transport.h"

namespace corvane {

class TcpTransport : public DebugTransport {
  public:
    TcpTransport();
    ~TcpTransport() override;

    std::string prepare() override;
    Attach attach(SimulatorProcess& simulator, int timeoutMs) override;
    bool resume(int32_t stopValue) override;
    bool connected() const override { return channel_.connected(); }
    void wait(CommandInput& input) override;
    void close() override { channel_.close(); }

  private:
    ConsoleReader console_;
    int listener_ = -1;
    DebugChannel channel_;
};

}  // namespace corvane
