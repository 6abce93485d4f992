#include "debuglink/peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/temp_dir.h"
#include "tools/vrnasm/assembler.h"

namespace corvane::test {
namespace {

uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool waitReadable(int fd, int64_t deadline) {
    pollfd p{fd, POLLIN, 0};
    const int left = int(std::max<int64_t>(0, deadline - nowMs()));
    return poll(&p, 1, left) > 0;
}

}  // namespace

TestDebugger::TestDebugger() {
    // A child that inherits the listener would keep the port; close it in children.
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listen_, 4) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t len = sizeof addr;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
}

TestDebugger::~TestDebugger() {
    hangUp();
    if (listen_ >= 0) close(listen_);
}

bool TestDebugger::accept(int timeoutMs) {
    if (!waitReadable(listen_, nowMs() + timeoutMs)) return false;
    conn_ = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    // An acknowledgement followed by a resume request are two small writes: without this the
    // second waits for the simulator's delayed TCP acknowledgement.
    int one = 1;
    if (conn_ >= 0) setsockopt(conn_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return conn_ >= 0;
}

std::optional<WireRecord> TestDebugger::read(int timeoutMs) {
    const int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        if (in_.size() >= 16) {
            const uint32_t length = get32(&in_[12]);
            if (in_.size() >= 16 + size_t(length)) {
                WireRecord r{get32(&in_[0]), get32(&in_[4]), get32(&in_[8]),
                             std::vector<uint8_t>(in_.begin() + 16, in_.begin() + 16 + length)};
                in_.erase(in_.begin(), in_.begin() + 16 + length);
                return r;
            }
        }
        if (conn_ < 0 || !waitReadable(conn_, deadline)) return std::nullopt;
        uint8_t buf[65536];
        const ssize_t n = recv(conn_, buf, sizeof buf, 0);
        if (n <= 0) return std::nullopt;
        in_.insert(in_.end(), buf, buf + n);
    }
}

std::optional<WireRecord> TestDebugger::next(int timeoutMs) {
    if (!pending_.empty()) {
        WireRecord r = pending_.front();
        pending_.pop_front();
        return r;
    }
    auto r = read(timeoutMs);
    if (r && r->message != 0xFFFFFFFF) ack(r->message);
    return r;
}

bool TestDebugger::writeRaw(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = send(conn_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

bool TestDebugger::write(uint32_t message, uint32_t first, uint32_t second,
                         const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes;
    put32(bytes, message);
    put32(bytes, first);
    put32(bytes, second);
    put32(bytes, uint32_t(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return writeRaw(bytes);
}

bool TestDebugger::resume(int32_t stopValue, int timeoutMs) {
    if (!write(0xB001, uint32_t(stopValue), 0)) return false;
    const int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        auto r = read(int(std::max<int64_t>(0, deadline - nowMs())));
        if (!r) return false;
        if (r->message == 0xFFFFFFFF) return r->first == 0xB001;
        ack(r->message);
        pending_.push_back(*r);
    }
}

bool TestDebugger::closedByPeer(int timeoutMs) {
    const int64_t deadline = nowMs() + timeoutMs;
    while (conn_ >= 0 && waitReadable(conn_, deadline)) {
        uint8_t buf[4096];
        const ssize_t n = recv(conn_, buf, sizeof buf, 0);
        if (n <= 0) return true;
    }
    return false;
}

void TestDebugger::hangUp() {
    if (conn_ >= 0) close(conn_);
    conn_ = -1;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& outFile, bool withInput) {
    int pipeFds[2] = {-1, -1};
    if (withInput && pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
        if (withInput) dup2(pipeFds[0], 0);
        const int out = open(outFile.empty() ? "/dev/null" : outFile.c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) dup2(out, 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (withInput) {
        close(pipeFds[0]);
        input_ = pipeFds[1];
    }
}

ChildProcess::~ChildProcess() {
    closeInput();
    if (pid_ > 0) wait(kPeerTimeoutMs);
}

int ChildProcess::wait(int timeoutMs) {
    if (pid_ <= 0) return status_;
    const int64_t deadline = nowMs() + timeoutMs;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (nowMs() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            status_ = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
}

bool ChildProcess::writeInput(const std::string& text) {
    if (input_ < 0) return false;
    signal(SIGPIPE, SIG_IGN);
    return ::write(input_, text.data(), text.size()) == ssize_t(text.size());
}

void ChildProcess::interrupt() {
    if (pid_ > 0) kill(pid_, SIGINT);
}

void ChildProcess::closeInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
}

std::string tempPath(const std::string& name) {
    // One folder for the whole test process, removed when it exits.
    static const TempDir dir("corvane-debuglink");
    return (dir / name).string();
}

std::string writeImage(const std::string& name, const std::string& source) {
    const std::vector<uint8_t> image = assembleOrThrow(source);
    const std::string path = tempPath(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace corvane::test
