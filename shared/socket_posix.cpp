#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "shared/socket.h"

namespace corvane::sock {

int connectLoopback(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // A loopback connect is answered at once: refused when nobody listens.
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int listenLoopback(uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 1) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

int acceptOne(int listener) {
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

void prepare(int fd) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
}

void close(int fd) {
    ::close(fd);
}

long sendSome(int fd, const uint8_t* data, size_t size) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) return long(n);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return kAgain;
    return kFailed;
}

long recvSome(int fd, uint8_t* data, size_t size) {
    const ssize_t n = ::recv(fd, data, size, MSG_DONTWAIT);
    if (n >= 0) return long(n);
    if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) return kAgain;
    return kFailed;
}

int wait(int fd, bool writable, int timeoutMs, int wakeFd) {
    // poll() skips entries with a negative descriptor, so either may be absent.
    pollfd p[2] = {{fd, short(POLLIN | (writable ? POLLOUT : 0)), 0}, {wakeFd, POLLIN, 0}};
    const int r = poll(p, 2, timeoutMs);
    if (r < 0) return errno == EINTR ? int(kAgain) : int(kFailed);
    if (r == 0) return 0;
    int bits = 0;
    if (p[0].revents & POLLIN) bits |= kReadable;
    if (p[0].revents & POLLOUT) bits |= kWritable;
    if (p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) bits |= kBroken;
    if (p[1].revents != 0) bits |= kWoken;
    return bits;
}

uint32_t processId() {
    return uint32_t(getpid());
}

}  // namespace corvane::sock
