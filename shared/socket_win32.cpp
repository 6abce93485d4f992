#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h first: windows.h would otherwise bring in the old socket header.
#include <windows.h>

#include "shared/socket.h"

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

int listenLoopback(uint16_t& port) {
    if (!started()) return -1;
    const SOCKET s = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    int len = sizeof addr;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 1) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        closesocket(s);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return int(s);
}

int acceptOne(int listener) {
    const SOCKET s = ::accept(toSocket(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET) return -1;
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
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

int wait(int fd, bool writable, int timeoutMs, int wakeFd) {
    // The wake-up descriptor is a socket here too (the interrupt's loopback pair), so one
    // WSAPoll watches both. Only present sockets go into the array.
    WSAPOLLFD p[2]{};
    int n = 0, self = -1, wake = -1;
    if (fd >= 0) {
        self = n++;
        p[self].fd = toSocket(fd);
        p[self].events = short(POLLRDNORM | (writable ? POLLWRNORM : 0));
    }
    if (wakeFd >= 0) {
        wake = n++;
        p[wake].fd = toSocket(wakeFd);
        p[wake].events = POLLRDNORM;
    }
    if (n == 0) {
        Sleep(timeoutMs < 0 ? INFINITE : DWORD(timeoutMs));
        return 0;
    }
    const int r = WSAPoll(p, ULONG(n), timeoutMs);
    if (r == SOCKET_ERROR) return transient(WSAGetLastError()) ? int(kAgain) : int(kFailed);
    if (r == 0) return 0;
    int bits = 0;
    if (self >= 0) {
        const short got = p[self].revents;
        if (got & (POLLRDNORM | POLLHUP)) bits |= kReadable;
        if (got & POLLWRNORM) bits |= kWritable;
        if (got & (POLLERR | POLLHUP | POLLNVAL)) bits |= kBroken;
    }
    if (wake >= 0 && p[wake].revents != 0) bits |= kWoken;
    return bits;
}

uint32_t processId() {
    return uint32_t(GetCurrentProcessId());
}

}  // namespace corvane::sock
