#include "support/process.h"

#include "support/build_paths.h"

#ifdef _WIN32
#include <windows.h>

#include "library/path.h"
#include "tools/vrndbg/command_line_win32.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace corvane::test {

namespace fs = std::filesystem;

fs::path builtProgram(const std::string& name) {
#ifdef _WIN32
    return fs::absolute(fs::path(corvane::test::binDir()) / (name + ".exe"));
#else
    return fs::path(corvane::test::binDir()) / name;
#endif
}

#ifdef _WIN32

namespace {

HANDLE openFor(const fs::path& file, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(file.empty() ? L"NUL" : file.c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int runProgram(const fs::path& program, const std::vector<std::string>& args, const fs::path& out,
               const fs::path& err) {
    std::wstring line = windowsCommandLine(hostPathText(program), args, false);
    HANDLE in = openFor({}, GENERIC_READ, OPEN_EXISTING);
    HANDLE o = openFor(out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE e = openFor(err, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = o;
    si.hStdError = e;
    PROCESS_INFORMATION pi{};
    int status = -1;
    if (in != INVALID_HANDLE_VALUE && o != INVALID_HANDLE_VALUE && e != INVALID_HANDLE_VALUE &&
        CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(pi.hProcess, &code)) status = int(code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    for (HANDLE h : {in, o, e})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return status;
}

std::string writtenText(const std::string& text) {
    std::string s;
    s.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) s += text[i];
    return s;
}

#else

int runProgram(const fs::path& program, const std::vector<std::string>& args, const fs::path& out,
               const fs::path& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.empty() ? "/dev/null" : err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> words = {program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int raw = 0;
    while (waitpid(pid, &raw, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string writtenText(const std::string& text) {
    return text;
}

#endif

}  // namespace corvane::test
