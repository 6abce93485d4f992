#include "tools/vrndbg/tcp_transport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "host/socket.h"
#include "tools/vrndbg/simulator_process.h"

namespace corvane {

TcpTransport::TcpTransport(int inputFd)
    : inputFd_(inputFd),
      channel_({kDebugMsgAttach, kDebugMsgSnapshot, kDebugMsgStop, kDebugMsgExit}) {
    channel_.onRecord = [this](const DebugRecord& r) {
        if (onRecord) onRecord(r);
    };
}

TcpTransport::~TcpTransport() {
    if (listener_ >= 0) ::close(listener_);
}

std::string TcpTransport::prepare() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return "";
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 1) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return "";
    }
    listener_ = fd;
    return std::to_string(ntohs(addr.sin_port));
}

DebugTransport::Attach TcpTransport::attach(SimulatorProcess& simulator, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Attach result = Attach::TimedOut;
    while (std::chrono::steady_clock::now() < deadline) {
        // A short wait at a time: a simulator that ended is noticed at once, not at the limit.
        if (sock::wait(listener_, false, 100) & sock::kReadable) {
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            result = fd < 0 ? Attach::Failed : Attach::Attached;
            if (fd >= 0) channel_.adopt(fd);
            break;
        }
        if (simulator.ended()) {
            result = Attach::Ended;
            break;
        }
    }
    ::close(listener_);
    listener_ = -1;
    return result;
}

bool TcpTransport::resume(int32_t stopValue) {
    return channel_.send(kDebugMsgResume, uint32_t(stopValue), 0);
}

void TcpTransport::wait(CommandInput& input) {
    const int r = sock::wait(channel_.fd(), false, -1, input.ended() ? -1 : inputFd_);
    if (r < 0) return;  // interrupted: the caller waits again
    if ((r & (sock::kReadable | sock::kBroken)) != 0) channel_.service(0);
    if ((r & sock::kWoken) != 0) {
        char buf[4096];
        const ssize_t got = read(inputFd_, buf, sizeof buf);
        if (got <= 0)
            input.end();
        else
            input.feed(buf, size_t(got));
    }
}

}  // namespace corvane
