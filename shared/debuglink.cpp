#include "shared/debuglink.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "shared/socket.h"

namespace corvane {
namespace {

// More unread input than this while our own record waits to go out means a peer that floods
// instead of reading: it is dropped like any other misbehaving peer.
constexpr size_t kMaxBuffered = 1u << 20;

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Milliseconds left until `deadlineMs` for poll(): -1 waits forever.
int pollTimeout(int64_t deadlineMs) {
    if (deadlineMs < 0) return -1;
    return int(std::clamp<int64_t>(deadlineMs - nowMs(), 0, 1'000'000));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

std::vector<uint8_t> encodeDebugRecord(uint32_t message, uint32_t first, uint32_t second,
                                       const uint8_t* payload, uint32_t size) {
    std::vector<uint8_t> out;
    out.reserve(kDebugHeaderSize + size);
    put32(out, message);
    put32(out, first);
    put32(out, second);
    put32(out, size);
    if (payload != nullptr) out.insert(out.end(), payload, payload + size);
    return out;
}

uint32_t debugProcessId() {
    return sock::processId();
}

DebugChannel::DebugChannel(std::vector<uint32_t> accepted) : accepted_(std::move(accepted)) {}

DebugChannel::~DebugChannel() {
    close();
}

bool DebugChannel::connectTo(uint32_t port) {
    close();
    if (port == 0 || port > 65535) return false;
    const int fd = sock::connectLoopback(uint16_t(port));
    if (fd < 0) return false;
    adopt(fd);
    return true;
}

void DebugChannel::adopt(int fd) {
    close();
    // Records are small and each waits for an answer: Nagle's delay would add to every exchange.
    sock::prepare(fd);
    fd_ = fd;
    in_.clear();
}

void DebugChannel::close() {
    if (fd_ >= 0) sock::close(fd_);
    fd_ = -1;
    in_.clear();
}

void DebugChannel::drop() {
    if (fd_ < 0) return;
    const int fd = fd_;
    close();
    if (onDrop) onDrop(fd);
}

bool DebugChannel::writeAll(const std::vector<uint8_t>& bytes, int64_t deadlineMs) {
    size_t done = 0;
    while (done < bytes.size()) {
        if (fd_ < 0) return false;
        const long n = sock::sendSome(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n == sock::kFailed) {
            drop();
            return false;
        }
        // The socket is full: wait for room, taking in what the peer sends meanwhile so that a
        // peer writing to us at the same moment is never stuck behind us.
        const int r = sock::wait(fd_, true, pollTimeout(deadlineMs));
        if (r == sock::kAgain) continue;
        if (r <= 0) {
            drop();
            return false;
        }
        if (r & sock::kReadable) {
            uint8_t buf[4096];
            const long got = sock::recvSome(fd_, buf, sizeof buf);
            if (got == 0 || got == sock::kFailed || in_.size() > kMaxBuffered) {
                drop();
                return false;
            }
            if (got > 0) in_.insert(in_.end(), buf, buf + got);
        } else if (r & sock::kBroken) {
            drop();
            return false;
        }
    }
    return true;
}

bool DebugChannel::readSome(int64_t deadlineMs, bool* timedOut, int wakeFd) {
    if (timedOut != nullptr) *timedOut = false;
    for (;;) {
        if (fd_ < 0) return false;
        const int r = sock::wait(fd_, false, pollTimeout(deadlineMs), wakeFd);
        if (r == sock::kAgain) continue;
        if (r < 0) {
            drop();
            return false;
        }
        if (r == 0 || (r & (sock::kReadable | sock::kBroken)) == 0) {
            if (timedOut != nullptr) *timedOut = true;
            return true;
        }
        uint8_t buf[65536];
        const long n = sock::recvSome(fd_, buf, sizeof buf);
        if (n == sock::kAgain) return true;
        if (n <= 0) {
            drop();
            return false;
        }
        in_.insert(in_.end(), buf, buf + n);
        return true;
    }
}

bool DebugChannel::drain(uint32_t* ackFor, bool* gotAck) {
    while (fd_ >= 0 && in_.size() >= kDebugHeaderSize) {
        const uint32_t message = get32(&in_[0]);
        const uint32_t length = get32(&in_[12]);
        if (message == kDebugAck) {
            // An acknowledgement is only ever expected for the one record we are sending.
            const bool expected = ackFor != nullptr && !*gotAck && get32(&in_[4]) == *ackFor;
            if (!expected || length != 0) {
                drop();
                return false;
            }
            *gotAck = true;
            in_.erase(in_.begin(), in_.begin() + kDebugHeaderSize);
            continue;
        }
        if (length > kDebugMaxPayload ||
            std::find(accepted_.begin(), accepted_.end(), message) == accepted_.end()) {
            drop();
            return false;
        }
        if (in_.size() < kDebugHeaderSize + length) break;
        DebugRecord record;
        record.message = message;
        record.first = get32(&in_[4]);
        record.second = get32(&in_[8]);
        record.payload.assign(in_.begin() + kDebugHeaderSize,
                              in_.begin() + kDebugHeaderSize + length);
        in_.erase(in_.begin(), in_.begin() + kDebugHeaderSize + length);
        // Acknowledge first, act afterwards: the sender is waiting.
        if (!writeAll(encodeDebugRecord(kDebugAck, message, 0, nullptr, 0), nowMs() + ackTimeoutMs))
            return false;
        if (onRecord) onRecord(record);
    }
    return fd_ >= 0;
}

bool DebugChannel::send(uint32_t message, uint32_t first, uint32_t second, const uint8_t* payload,
                        uint32_t size) {
    if (fd_ < 0 || sending_) return false;
    sending_ = true;
    const int64_t deadline = nowMs() + ackTimeoutMs;
    bool acked = false;
    bool ok = writeAll(encodeDebugRecord(message, first, second, payload, size), deadline);
    while (ok && !acked) {
        ok = drain(&message, &acked);
        if (!ok || acked) break;
        bool timedOut = false;
        ok = readSome(deadline, &timedOut);
        if (ok && timedOut) {
            // No acknowledgement in time: the debugger is gone.
            drop();
            ok = false;
        }
    }
    sending_ = false;
    return ok && acked;
}

bool DebugChannel::service(int timeoutMs, int wakeFd) {
    if (fd_ < 0) return false;
    bool none = false;
    if (!drain(nullptr, &none)) return false;
    if (!readSome(timeoutMs < 0 ? -1 : nowMs() + timeoutMs, nullptr, wakeFd)) return false;
    return drain(nullptr, &none);
}

}  // namespace corvane
