#pragma once
// The few socket operations the debugger channel needs, on a non-blocking TCP socket to
// 127.0.0.1. Each system has its own file for them; the channel's protocol stays in one place.

#include <cstddef>
#include <cstdint>

namespace corvane::sock {

// What a send, a receive or a wait came to, beyond a count of bytes.
constexpr long kAgain = -1;   // nothing could be done now (full, empty, or interrupted): retry
constexpr long kFailed = -2;  // the connection is broken

// A connected socket to 127.0.0.1:`port`, or -1 when nobody listens there.
int connectLoopback(uint16_t port);
// A socket listening on 127.0.0.1 at `port` (0: a free one), which goes into `port`; -1 when none
// can be made. The debugger's side: the simulator connects to it.
int listenLoopback(uint16_t& port);
// The connection waiting on `listener` (call once wait() says it is readable), or -1.
int acceptOne(int listener);
// Makes a connected socket non-blocking, without Nagle's delay, and not inherited by children.
void prepare(int fd);
void close(int fd);

// Bytes sent or received (> 0), 0 when the peer closed (receive only), kAgain or kFailed.
long sendSome(int fd, const uint8_t* data, size_t size);
long recvSome(int fd, uint8_t* data, size_t size);

// Readiness bits of wait().
constexpr int kReadable = 1;
constexpr int kWritable = 2;
constexpr int kBroken = 4;
constexpr int kWoken = 8;  // `wakeFd` became readable
// Waits up to `timeoutMs` (negative: forever) until the socket is readable (and, with
// `writable`, writable), or until `wakeFd` (when >= 0) is readable. The readiness bits, 0 on
// timeout, kAgain when interrupted, kFailed. `fd` may be -1 to wait for `wakeFd` alone.
int wait(int fd, bool writable, int timeoutMs, int wakeFd = -1);

// This process's identity, as the attach notice carries it.
uint32_t processId();

}  // namespace corvane::sock
