#pragma once
// A hand-written debugger for the end-to-end tests: a loopback listener and raw records, so the
// tests check the bytes on the wire independently of the channel code they exercise. Every read
// has a timeout; child processes are killed when they outlive theirs.

#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

struct WireRecord {
    uint32_t message = 0;
    uint32_t first = 0;
    uint32_t second = 0;
    std::vector<uint8_t> payload;
};

constexpr int kPeerTimeoutMs = 20000;

class TestDebugger {
  public:
    TestDebugger();  // listens on a free port of 127.0.0.1
    ~TestDebugger();
    uint16_t port() const { return port_; }

    bool accept(int timeoutMs = kPeerTimeoutMs);
    // One record as it arrives, not acknowledged; nothing when the time is up or the peer left.
    std::optional<WireRecord> read(int timeoutMs = kPeerTimeoutMs);
    // The next record (queued ones first), acknowledged at once unless it is an acknowledgement.
    std::optional<WireRecord> next(int timeoutMs = kPeerTimeoutMs);
    bool write(uint32_t message, uint32_t first, uint32_t second,
               const std::vector<uint8_t>& payload = {});
    bool writeRaw(const std::vector<uint8_t>& bytes);
    bool ack(uint32_t message) { return write(0xFFFFFFFF, message, 0); }
    // Sends a resume request and waits for its acknowledgement, acknowledging and keeping any
    // record that arrives first.
    bool resume(int32_t stopValue, int timeoutMs = kPeerTimeoutMs);
    // True when the peer closed the connection within the time.
    bool closedByPeer(int timeoutMs = kPeerTimeoutMs);
    void hangUp();

  private:
    int listen_ = -1;
    int conn_ = -1;
    uint16_t port_ = 0;
    std::vector<uint8_t> in_;
    std::deque<WireRecord> pending_;
};

class ChildProcess {
  public:
    // Starts `program` with `args`; its stdout goes to `outFile` when given, else to /dev/null.
    // Its stdin is the read end of a pipe when `withInput`.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& outFile = {}, bool withInput = false);
    ~ChildProcess();
    // Exit status, or -1 when it did not end in time (it is then killed).
    int wait(int timeoutMs = kPeerTimeoutMs);
    bool writeInput(const std::string& text);
    void closeInput();
    // Ctrl+C, as a terminal sends it (SIGINT).
    void interrupt();

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int status_ = -1;
};

std::string tempPath(const std::string& name);
// Assembles `source` into a program image file and returns its path.
std::string writeImage(const std::string& name, const std::string& source);
std::string readFile(const std::string& path);

}  // namespace corvane::test
