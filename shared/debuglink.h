#pragma once
// The debugger channel: a TCP connection on 127.0.0.1 that carries the debugger link's messages
// as records. A record is five little-endian fields: u32 message, u32 first parameter, u32 second
// parameter, u32 payload length, then the payload bytes. Every record except an acknowledgement
// is acknowledged on receipt with a record whose message is kDebugAck and whose first parameter
// is the acknowledged message, so a send returns only once the other side has the record: sends
// are synchronous. While a side waits for its acknowledgement it keeps acknowledging and
// delivering what the other side sends, so two sides sending at once never wait on each other.
//
// Both ends use this class: the simulator (accepting resume requests) and the debugger client
// (accepting the attach, snapshot, stop and exit notices). Whatever goes wrong (a payload over
// 20,480 bytes, a message the side does not accept, a wrong or missing acknowledgement within the
// timeout, a closed connection) drops the link: the socket is closed, `onDrop` is told, and later
// sends do nothing. Nothing here ever blocks longer than the timeout while the link is up.

#include <cstdint>
#include <functional>
#include <vector>

namespace corvane {

// Message numbers on the wire.
constexpr uint32_t kDebugMsgAttach = 0xB000;
constexpr uint32_t kDebugMsgResume = 0xB001;
constexpr uint32_t kDebugMsgExit = 0xB002;
constexpr uint32_t kDebugMsgStop = 0xB003;
constexpr uint32_t kDebugMsgSnapshot = 0x4A;
constexpr uint32_t kDebugAck = 0xFFFFFFFF;

constexpr uint32_t kDebugMaxPayload = 20480;
constexpr uint32_t kDebugHeaderSize = 16;
constexpr int kDebugAckTimeoutMs = 5000;

struct DebugRecord {
    uint32_t message = 0;
    uint32_t first = 0;
    uint32_t second = 0;
    std::vector<uint8_t> payload;
};

// The record as bytes on the wire.
std::vector<uint8_t> encodeDebugRecord(uint32_t message, uint32_t first, uint32_t second,
                                       const uint8_t* payload, uint32_t size);

// The simulator's own identity, sent as the attach notice's first parameter: its process id.
uint32_t debugProcessId();

class DebugChannel {
  public:
    using RecordHandler = std::function<void(const DebugRecord&)>;

    // `accepted`: the messages this side takes from the other; any other message drops the link.
    explicit DebugChannel(std::vector<uint32_t> accepted);
    ~DebugChannel();
    DebugChannel(const DebugChannel&) = delete;
    DebugChannel& operator=(const DebugChannel&) = delete;

    // Connects to a listener on 127.0.0.1:`port`. False (and no link) when nobody listens.
    bool connectTo(uint32_t port);
    // Takes over a connected socket (the listening side after accept).
    void adopt(int fd);
    void close();

    bool connected() const { return fd_ >= 0; }
    // The socket to wait on for incoming records; -1 without a link.
    int fd() const { return fd_; }

    // Sends one record and waits for its acknowledgement. True when acknowledged; false when
    // there is no link or the link was dropped on the way.
    bool send(uint32_t message, uint32_t first, uint32_t second, const uint8_t* payload = nullptr,
              uint32_t size = 0);

    // Waits up to `timeoutMs` (0: not at all, negative: until something happens) for incoming
    // bytes, then acknowledges and delivers every complete record that has arrived. False once
    // the link is down. A readable `wakeFd` (e.g. a signal's pipe) also ends the wait.
    bool service(int timeoutMs = 0, int wakeFd = -1);

    // Called for each accepted record, after it was acknowledged; also from inside `send` while
    // it waits. It must not send.
    RecordHandler onRecord;
    // Called once when the link is dropped, with the socket it had.
    std::function<void(int)> onDrop;

    int ackTimeoutMs = kDebugAckTimeoutMs;

  private:
    bool writeAll(const std::vector<uint8_t>& bytes, int64_t deadlineMs);
    // One wait for input (until `deadlineMs`, or forever when negative) and one read. False when
    // the link is down; true otherwise, even when the wait timed out. A readable `wakeFd` ends
    // the wait as a timeout would.
    bool readSome(int64_t deadlineMs, bool* timedOut, int wakeFd = -1);
    // Acknowledges and delivers complete records in the buffer. An acknowledgement is stored in
    // `ackFor` (nullptr: none is expected, so one drops the link). False when the link dropped.
    bool drain(uint32_t* ackFor, bool* gotAck);
    void drop();

    int fd_ = -1;
    std::vector<uint32_t> accepted_;
    std::vector<uint8_t> in_;
    bool sending_ = false;
};

}  // namespace corvane
