#include <windows.h>

#include <chrono>
#include <thread>

#include "shared/socket.h"
#include "tools/vrndbg/dap_server_process.h"
#include "tools/vrndbg/simulator_process.h"

namespace corvane {

DapServerProcess::DapServerProcess() = default;
DapServerProcess::~DapServerProcess() = default;

int DapServerProcess::start(const std::string& program, std::string& error) {
    // A free port: taken and let go again, for the server to listen on.
    uint16_t port = 0;
    const int probe = sock::listenLoopback(port);
    if (probe < 0) {
        error = "no free port on 127.0.0.1 for the debug server";
        return -1;
    }
    sock::close(probe);
    process_ = std::make_unique<SimulatorProcess>();
    if (!process_->start(program, {"--dap-port", std::to_string(port)}, false, true)) {
        error = "cannot start " + program;
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = sock::connectLoopback(port);
        if (fd >= 0) return fd;
        if (process_->ended()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error = program + " did not start listening";
    return -1;
}

int DapServerProcess::wait() {
    return process_ ? process_->wait() : 1;
}

int connectDapServer(int port) {
    if (port <= 0 || port > 65535) return -1;
    return sock::connectLoopback(uint16_t(port));
}

}  // namespace corvane
