// vrndbg: a command-line debugger for the simulator's debugger link. It listens on a free port of
// 127.0.0.1, starts the simulator (corvane, or corvane-run with --runner) on an image with "/W"
// naming that port and "/S" the first stop value, and then shows each stop.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/paths.h"
#include "tools/vrndbg/memory_view.h"
#include "tools/vrndbg/session.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

namespace fs = std::filesystem;

const char* kUsage =
    "usage: vrndbg [--runner] [--sim PROGRAM] [--stop N] IMAGE [SIMULATOR-ARGS...]\n"
    "Starts the simulator on IMAGE attached to this debugger and shows each stop at a line\n"
    "marker. Commands (from a terminal or a pipe):\n"
    "  x ADDR [COUNT]   bytes of the data area snapshot; xw ints, xl longs\n"
    "  c [STOP]         resume: -2 every line, 0 same function, N line N, -1 run free\n"
    "  s, n             c -2, c 0\n"
    "  q                quit; the program runs on freely\n"
    "\n"
    "  --runner         start corvane-run (no window) instead of corvane\n"
    "  --sim PROGRAM    the simulator to start\n"
    "  --stop N         the first stop value (default 0: the first line marker)\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 the session ended, 1 a usage error or the link failed, else the status of\n"
    "a simulator that ended by failing (corvane-run: 1 image not loaded, 2 limit, 3 fault).\n";

constexpr int kAttachTimeoutMs = 30000;

int listenLoopback(uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 1) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

// The simulator beside this executable when it is there (build tree, installed), else by name.
std::string findSimulator(const std::string& name) {
    std::error_code ec;
    const fs::path beside = corvane::executablePath().parent_path() / name;
    return fs::exists(beside, ec) ? beside.string() : name;
}

pid_t startSimulator(const std::string& program, const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // The simulator must not take the commands meant for the debugger.
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) dup2(null, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    std::fprintf(stderr, "vrndbg: cannot start %s\n", program.c_str());
    _exit(127);
}

// Waits for the simulator to connect; -1 when it ends or takes too long.
int acceptSimulator(int listener, pid_t child) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kAttachTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{listener, POLLIN, 0};
        if (poll(&p, 1, 100) > 0) return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "vrndbg: the simulator ended before attaching (status %d)\n",
                         WIFEXITED(status) ? WEXITSTATUS(status) : -1);
            return -1;
        }
    }
    std::fprintf(stderr, "vrndbg: the simulator did not attach\n");
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    bool runner = false;
    std::string sim;
    int64_t stopValue = 0;
    std::string image;
    std::vector<std::string> extra;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!image.empty()) {
            extra.push_back(arg);
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("vrndbg %s\n", CORVANE_VERSION);
            return 0;
        } else if (arg == "--runner") {
            runner = true;
        } else if (arg == "--sim" && i + 1 < argc) {
            sim = argv[++i];
        } else if (arg == "--stop" && i + 1 < argc) {
            auto v = corvane::parseNumber(argv[++i]);
            if (!v || *v < INT32_MIN || *v > UINT32_MAX) {
                std::fprintf(stderr, "vrndbg: not a stop value: %s\n%s", argv[i], kUsage);
                return 1;
            }
            stopValue = *v;
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "vrndbg: unknown option %s\n%s", arg.c_str(), kUsage);
            return 1;
        } else {
            image = arg;
        }
    }
    if (image.empty()) {
        std::fprintf(stderr, "vrndbg: no program image\n%s", kUsage);
        return 1;
    }
    if (sim.empty()) sim = findSimulator(runner ? "corvane-run" : "corvane");

    uint16_t port = 0;
    const int listener = listenLoopback(port);
    if (listener < 0) {
        std::fprintf(stderr, "vrndbg: cannot listen on 127.0.0.1\n");
        return 1;
    }
    // "/S" takes decimal digits only: a negative stop value travels as its 32-bit pattern.
    std::vector<std::string> args = {"/W" + std::to_string(port),
                                     "/S" + std::to_string(uint32_t(stopValue)), image};
    args.insert(args.end(), extra.begin(), extra.end());
    const pid_t child = startSimulator(sim, args);
    if (child < 0) {
        std::fprintf(stderr, "vrndbg: cannot start %s\n", sim.c_str());
        return 1;
    }
    const int conn = acceptSimulator(listener, child);
    close(listener);
    if (conn < 0) return 1;

    corvane::DebugSession session(conn, int32_t(uint32_t(stopValue)), stdout, isatty(0) != 0);
    const int result = session.run(0);
    // The exit notice is the simulator's last act, so waiting for it cannot hang. A simulator
    // that failed (an image it could not load, a fault) makes the debugger fail with its status.
    if (result == 0 && session.simulatorExited()) {
        int status = 0;
        if (waitpid(child, &status, 0) == child) {
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
            if (code != 0) {
                std::fprintf(stderr, "vrndbg: the simulator ended with status %d\n", code);
                return code;
            }
        }
    }
    return result;
}
