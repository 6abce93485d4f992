#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h first: windows.h would otherwise bring in the old socket header.
#include <windows.h>

#include "host/socket.h"

namespace corvane::sock {
namespace {

// Winsock must be started once per process before the first socket.
bool started() {
    static const bool ok = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}

SOCKET toSocket(int fd) {
    return SOCKET(fd);
}

bool transient(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS;
}

}  // namespace

int connectLoopback(uint16_t port) {
    if (!started()) return -1;
    const SOCKET s = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        closesocket(s);
        return -1;
    }
    // Socket handles are small kernel handle values; they fit the channel's int.
    return int(s);
}

void prepare(int fd) {
    BOOL one = TRUE;
    setsockopt(toSocket(fd), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one),
               sizeof one);
    u_long nonBlocking = 1;
    ioctlsocket(toSocket(fd), FIONBIO, &nonBlocking);
    SetHandleInformation(reinterpret_cast<HANDLE>(toSocket(fd)), HANDLE_FLAG_INHERIT, 0);
}

void close(int fd) {
    closesocket(toSocket(fd));
}

long sendSome(int fd, const uint8_t* data, size_t size) {
    const int n = ::send(toSocket(fd), reinterpret_cast<const char*>(data), int(size), 0);
    if (n > 0) return n;
    if (n == SOCKET_ERROR && transient(WSAGetLastError())) return kAgain;
    return kFailed;
}

long recvSome(int fd, uint8_t* data, size_t size) {
    const int n = ::recv(toSocket(fd), reinterpret_cast<char*>(data), int(size), 0);
    if (n >= 0) return n;
    if (transient(WSAGetLastError())) return kAgain;
    return kFailed;
}

int wait(int fd, bool writable, int timeoutMs) {
    WSAPOLLFD p{};
    p.fd = toSocket(fd);
    p.events = short(POLLRDNORM | (writable ? POLLWRNORM : 0));
    const int r = WSAPoll(&p, 1, timeoutMs);
    if (r == SOCKET_ERROR) return transient(WSAGetLastError()) ? int(kAgain) : int(kFailed);
    if (r == 0) return 0;
    int bits = 0;
    if (p.revents & (POLLRDNORM | POLLHUP)) bits |= kReadable;
    if (p.revents & POLLWRNORM) bits |= kWritable;
    if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) bits |= kBroken;
    return bits;
}

uint32_t processId() {
    return uint32_t(GetCurrentProcessId());
}

}  // namespace corvane::sock
