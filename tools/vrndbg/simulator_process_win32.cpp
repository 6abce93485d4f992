#include <windows.h>

#include "tools/vrndbg/command_line_win32.h"
#include "tools/vrndbg/simulator_process.h"

namespace corvane {
SimulatorProcess::~SimulatorProcess() {
    if (handle_) CloseHandle(HANDLE(handle_));
}

bool SimulatorProcess::start(const std::string& program, const std::vector<std::string>& args,
                             bool wholeLine, bool ownConsoleGroup) {
    std::wstring line = windowsCommandLine(program, args, wholeLine);
    // Standard input is NUL, output and errors are ours: only these three are inherited.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE null = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = null;
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    SetHandleInformation(si.hStdOutput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    SetHandleInformation(si.hStdError, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    PROCESS_INFORMATION pi{};
    // The program is looked for as given, then along the PATH (the name alone).
    const std::wstring exe = widenUtf8(program);
    const bool ok =
        CreateProcessW(exe.find_first_of(L"\\/:") == std::wstring::npos ? nullptr : exe.c_str(),
                       line.data(), nullptr, nullptr, TRUE,
                       ownConsoleGroup ? CREATE_NEW_PROCESS_GROUP : 0, nullptr, nullptr, &si,
                       &pi) != 0;
    if (null != INVALID_HANDLE_VALUE) CloseHandle(null);
    if (!ok) return false;
    CloseHandle(pi.hThread);
    handle_ = pi.hProcess;
    id_ = long(pi.dwProcessId);
    return true;
}

std::optional<int> SimulatorProcess::ended() {
    if (status_ || !handle_) return status_;
    if (WaitForSingleObject(HANDLE(handle_), 0) == WAIT_OBJECT_0) {
        DWORD code = 1;
        GetExitCodeProcess(HANDLE(handle_), &code);
        status_ = int(code);
    }
    return status_;
}

int SimulatorProcess::wait() {
    if (status_ || !handle_) return status_.value_or(1);
    WaitForSingleObject(HANDLE(handle_), INFINITE);
    return ended().value_or(1);
}

void* SimulatorProcess::handle() const {
    return handle_;
}

}  // namespace corvane
