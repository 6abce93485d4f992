#include "host/platform/headless/dap_server.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "host/dap_host.h"
#include "host/dap_port.h"
#include "host/dap_session.h"
#include "host/platform/headless/runner.h"
#include "shared/dap_framing.h"
#include "shared/socket.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <winsock2.h>
#else
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace corvane {

namespace {

// The client's bytes are read by a thread of their own, framed and queued, so the run loop only
// looks at a queue between two turns and never waits inside a read.
class QueuedLink : public DapLink {
  public:
    // `fd`: a connected socket, or -1 for standard input and output.
    explicit QueuedLink(int fd) : fd_(fd) {
        reader_ = std::thread([this] { readAll(); });
    }
    ~QueuedLink() override {
        if (fd_ >= 0) {
            // Wakes the reading thread's wait, which a close alone would not end.
#ifdef _WIN32
            ::shutdown(SOCKET(fd_), SD_BOTH);
#else
            ::shutdown(fd_, SHUT_RDWR);
#endif
            reader_.join();
            sock::close(fd_);
        } else {
            // Standard input may still be read by the thread: it ends with the process.
            reader_.detach();
        }
    }

    void send(const std::string& body) override {
        std::lock_guard<std::mutex> lock(writeMutex_);
        if (fd_ < 0) {
            const std::string framed = dapFrame(body);
            std::fwrite(framed.data(), 1, framed.size(), stdout);
            std::fflush(stdout);
            return;
        }
        sendDapMessage(fd_, body, 5000);
    }

    std::optional<DapIncoming> receive(bool wait) override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wait) cv_.wait(lock, [this] { return !queue_.empty(); });
        if (queue_.empty()) return std::nullopt;
        DapIncoming in = std::move(queue_.front());
        queue_.pop_front();
        return in;
    }

  private:
    void push(DapIncoming in) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(in));
        }
        cv_.notify_one();
    }

    void readAll() {
        DapReader reader;
        char buf[4096];
        for (;;) {
            long n;
            if (fd_ < 0) {
#ifdef _WIN32
                n = _read(0, buf, sizeof buf);
#else
                n = ::read(0, buf, sizeof buf);
#endif
                if (n <= 0) break;
            } else {
                n = sock::recvSome(fd_, reinterpret_cast<uint8_t*>(buf), sizeof buf);
                if (n == sock::kFailed || n == 0) break;
                if (n == sock::kAgain) {
                    if (sock::wait(fd_, false, -1) < 0) break;
                    continue;
                }
            }
            reader.feed(buf, size_t(n));
            takeIncoming(reader, [this](DapIncoming in) { push(std::move(in)); });
        }
        push({DapIncoming::Kind::Closed, {}});
    }

    int fd_;
    std::thread reader_;
    std::mutex mutex_;
    std::mutex writeMutex_;
    std::condition_variable cv_;
    std::deque<DapIncoming> queue_;
};

std::string readAllOf(std::FILE* f) {
    std::string text;
    if (!f) return text;
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    return text;
}

// corvane-run --dap-port N [OPTIONS] IMAGE: the program runs at once, and clients attach to it
// as they come.
int serveAttachments(uint16_t port, const std::vector<std::string>& runArgs, std::FILE* err) {
    DapPort listener;
    if (!listener.listen(port)) {
        std::fprintf(err, "corvane-run: cannot listen on 127.0.0.1:%u\n", unsigned(port));
        return kRunUsage;
    }
    std::fprintf(err, "corvane-run: debug server listening on 127.0.0.1:%u\n",
                 unsigned(listener.port()));
    std::fflush(err);
    DapHost host(listener, DapHost::Mode::Runner);
    const int status = runHeadless(runArgs, stdout, err, &host);
    host.finished(status);
    return status;
}

}  // namespace

bool wantsDapServer(const std::vector<std::string>& args) {
    return !args.empty() && (args[0] == "--dap" || args[0] == "--dap-port");
}

int runDapServer(const std::vector<std::string>& args, std::FILE* err) {
    int fd = -1;
    if (args[0] == "--dap-port") {
        if (args.size() < 2) {
            std::fputs("corvane-run: --dap-port needs a port number\n", err);
            return kRunUsage;
        }
        const std::optional<uint16_t> port = parsePortNumber(args[1]);
        if (!port) {
            std::fprintf(err, "corvane-run: not a port number: %s\n", args[1].c_str());
            return kRunUsage;
        }
        if (args.size() > 2) return serveAttachments(*port, {args.begin() + 2, args.end()}, err);
        uint16_t p = *port;
        const int listener = sock::listenLoopback(p);
        if (listener < 0) {
            std::fprintf(err, "corvane-run: cannot listen on 127.0.0.1:%u\n", unsigned(p));
            return kRunUsage;
        }
        std::fprintf(err, "corvane-run: debug server listening on 127.0.0.1:%u\n", unsigned(p));
        std::fflush(err);
        fd = sock::acceptOne(listener);
        sock::close(listener);
        if (fd < 0) {
            std::fputs("corvane-run: no debugger connected\n", err);
            return kRunUsage;
        }
    } else {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(0, _O_BINARY);
#endif
    }
    QueuedLink link(fd);
    DapSession session(link);
    const std::optional<std::vector<std::string>> launch = session.awaitLaunch();
    if (!launch) return kRunEnded;
    std::vector<std::string> runArgs = *launch;
    for (;;) {
        // The runner's own output (registers, statistics, its messages) goes to the client's
        // console.
        std::FILE* out = std::tmpfile();
        std::FILE* messages = std::tmpfile();
        const int status =
            runHeadless(runArgs, out ? out : err, messages ? messages : err, &session);
        const std::string text = readAllOf(messages);
        const std::string regular = readAllOf(out);
        if (out) std::fclose(out);
        if (messages) std::fclose(messages);
        if (!session.launchedProgram()) {
            session.launchFailed(text);
            return status;
        }
        if (!regular.empty()) session.output("stdout", regular);
        if (!text.empty()) session.output("stderr", text);
        // A restart runs the program anew, as a fresh runner would: clock, script and files.
        if (session.restartRequested()) {
            runArgs = session.beginRestart();
            continue;
        }
        session.finished(status);
        return status;
    }
}

}  // namespace corvane
