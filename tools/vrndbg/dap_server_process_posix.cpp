#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "shared/socket.h"
#include "tools/vrndbg/dap_server_process.h"
#include "tools/vrndbg/simulator_process.h"

namespace corvane {

DapServerProcess::DapServerProcess() = default;
DapServerProcess::~DapServerProcess() = default;

int DapServerProcess::start(const std::string& program, std::string& error) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        error = std::string("cannot make the server's connection: ") + std::strerror(errno);
        return -1;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("cannot start ") + program + ": " + std::strerror(errno);
        ::close(pair[0]);
        ::close(pair[1]);
        return -1;
    }
    if (pid == 0) {
        // A process group of its own: the terminal's Ctrl+C is the debugger's to handle.
        setpgid(0, 0);
        dup2(pair[1], 0);
        dup2(pair[1], 1);
        const char* argv[] = {program.c_str(), "--dap", nullptr};
        execvp(program.c_str(), const_cast<char* const*>(argv));
        std::fprintf(stderr, "vrndbg: cannot start %s\n", program.c_str());
        _exit(127);
    }
    ::close(pair[1]);
    pid_ = pid;
    return pair[0];
}

int DapServerProcess::wait() {
    if (pid_ < 0) return 1;
    int status = 0;
    const bool ended = waitpid(pid_t(pid_), &status, 0) == pid_t(pid_);
    pid_ = -1;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int connectDapServer(int port) {
    if (port <= 0 || port > 65535) return -1;
    return sock::connectLoopback(uint16_t(port));
}

}  // namespace corvane
