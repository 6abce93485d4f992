#include "tools/vrndbg/tcp_transport.h"

#include <chrono>

#include "shared/socket.h"
#include "tools/vrndbg/simulator_process.h"

namespace corvane {

TcpTransport::TcpTransport()
    : channel_({kDebugMsgAttach, kDebugMsgSnapshot, kDebugMsgStop, kDebugMsgExit}) {
    channel_.onRecord = [this](const DebugRecord& r) {
        if (onRecord) onRecord(r);
    };
}

TcpTransport::~TcpTransport() {
    if (listener_ >= 0) sock::close(listener_);
}

std::string TcpTransport::prepare() {
    uint16_t port = 0;
    listener_ = sock::listenLoopback(port);
    if (listener_ < 0 || !console_.start()) return "";
    return std::to_string(port);
}

DebugTransport::Attach TcpTransport::attach(SimulatorProcess& simulator, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Attach result = Attach::TimedOut;
    while (std::chrono::steady_clock::now() < deadline) {
        // A short wait at a time: a simulator that ended is noticed at once, not at the limit.
        const int r = sock::wait(listener_, false, 100);
        if (r > 0 && (r & sock::kReadable) != 0) {
            const int fd = sock::acceptOne(listener_);
            result = fd < 0 ? Attach::Failed : Attach::Attached;
            if (fd >= 0) channel_.adopt(fd);
            break;
        }
        if (simulator.ended()) {
            result = Attach::Ended;
            break;
        }
    }
    sock::close(listener_);
    listener_ = -1;
    return result;
}

bool TcpTransport::resume(int32_t stopValue) {
    return channel_.send(kDebugMsgResume, uint32_t(stopValue), 0);
}

void TcpTransport::wait(CommandInput& input) {
    const int r = sock::wait(channel_.fd(), false, -1, console_.descriptor());
    if (r < 0) return;  // interrupted: the caller waits again
    if ((r & (sock::kReadable | sock::kBroken)) != 0) channel_.service(0);
    if ((r & sock::kWoken) != 0) console_.take(input);
}

}  // namespace corvane
