#include "host/platform/sdl/external_dialog.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "host/paths.h"

extern char** environ;

namespace corvane {
namespace fs = std::filesystem;

bool onPath(const std::string& name) {
    const std::optional<std::string> path = environment("PATH");
    if (!path) return false;
    size_t start = 0;
    while (start <= path->size()) {
        size_t end = path->find(':', start);
        if (end == std::string::npos) end = path->size();
        const std::string dir = path->substr(start, end - start);
        if (!dir.empty() && access((fs::path(dir) / name).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

DialogTool chooseDialogTool() {
    if (auto wanted = environment("CORVANE_FILE_DIALOG")) {
        if (*wanted == "zenity") return DialogTool::Zenity;
        if (*wanted == "kdialog") return DialogTool::Kdialog;
        return DialogTool::Window;
    }
    if (onPath("zenity")) return DialogTool::Zenity;
    if (onPath("kdialog")) return DialogTool::Kdialog;
    return DialogTool::Window;
}

namespace {

// Where the dialog starts: the last choice (a path without extension) when there is one, else
// the folder itself with a trailing slash so the tools open it rather than select it.
std::string startingPoint(const OpenFileRequest& request) {
    if (!request.initialName.empty()) {
        fs::path name(request.initialName);
        if (name.is_relative() && !request.initialDir.empty())
            name = fs::path(request.initialDir) / name;
        return name.string();
    }
    std::string dir = request.initialDir.empty() ? std::string(".") : request.initialDir;
    if (dir.back() != '/') dir += '/';
    return dir;
}

// "*.*" means every file to the user; the tools spell that "*".
std::string toolPattern(const std::string& pattern) {
    return pattern == "*.*" ? std::string("*") : pattern;
}

}  // namespace

std::vector<std::string> dialogCommand(DialogTool tool, const OpenFileRequest& request) {
    std::vector<std::string> argv;
    if (tool == DialogTool::Zenity) {
        argv = {"zenity", "--file-selection", "--title=" + request.title,
                "--filename=" + startingPoint(request)};
        for (const FileFilter& f : request.filters)
            argv.push_back("--file-filter=" + f.name + " | " + toolPattern(f.pattern));
    } else if (tool == DialogTool::Kdialog) {
        std::string filters;
        for (const FileFilter& f : request.filters) {
            if (!filters.empty()) filters += '\n';
            filters += toolPattern(f.pattern) + "|" + f.name;
        }
        argv = {"kdialog", "--title", request.title, "--getopenfilename", startingPoint(request),
                filters};
    }
    return argv;
}

std::optional<std::string> chosenPath(const std::string& output, const OpenFileRequest& request) {
    std::string line = output.substr(0, output.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) return std::nullopt;
    fs::path p(line);
    if (p.is_relative() && !request.initialDir.empty()) p = fs::path(request.initialDir) / p;
    std::error_code ec;
    if (!request.defaultExtension.empty() && !p.has_extension() && !fs::exists(p, ec))
        p += "." + request.defaultExtension;
    return fs::absolute(p, ec).lexically_normal().string();
}

ChildDialog::~ChildDialog() {
    stop();
}

bool ChildDialog::start(const std::vector<std::string>& argv) {
    if (argv.empty()) return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        pid_ = -1;
        close(fds[0]);
        return false;
    }
    out_ = fds[0];
    fcntl(out_, F_SETFL, fcntl(out_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool ChildDialog::collect() {
    if (out_ >= 0) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(out_, buffer, sizeof buffer);
            if (n > 0) {
                output_.append(buffer, size_t(n));
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return false;
            close(out_);  // end of output (or an error): the program is ending
            out_ = -1;
            break;
        }
    }
    if (pid_ > 0) {
        int raw = 0;
        if (waitpid(pid_, &raw, 0) == pid_) status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        pid_ = -1;
    }
    return true;
}

void ChildDialog::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int raw = 0;
        waitpid(pid_, &raw, 0);
        pid_ = -1;
    }
    if (out_ >= 0) {
        close(out_);
        out_ = -1;
    }
}

}  // namespace corvane
