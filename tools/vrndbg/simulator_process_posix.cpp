#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "tools/vrndbg/simulator_process.h"

namespace corvane {
namespace {

int exitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

SimulatorProcess::~SimulatorProcess() = default;

bool SimulatorProcess::start(const std::string& program, const std::vector<std::string>& args, bool,
                             bool) {
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid > 0) {
        id_ = pid;
        return true;
    }
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

std::optional<int> SimulatorProcess::ended() {
    if (status_ || id_ < 0) return status_;
    int status = 0;
    if (waitpid(pid_t(id_), &status, WNOHANG) == pid_t(id_)) status_ = exitStatus(status);
    return status_;
}

int SimulatorProcess::wait() {
    if (status_ || id_ < 0) return status_.value_or(1);
    int status = 0;
    status_ = waitpid(pid_t(id_), &status, 0) == pid_t(id_) ? exitStatus(status) : 1;
    return *status_;
}

void* SimulatorProcess::handle() const {
    return handle_;  // none here: waits go by the process id
}

}  // namespace corvane
