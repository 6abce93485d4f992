// A test debugger of our own for the window-message link of corvane.exe: it owns a window, starts
// corvane.exe with "/W<its handle>", a stop value and a test program, and checks what arrives:
// the attach notice with the simulator's window, the stops (snapshot, then stop notice) under
// the stop values -2, 0 and N, the snapshot's data word and bytes, a resume request sent while
// the snapshot is being delivered, and the exit notice last.
//   debugger CORVANE_EXE IMAGE
// Once the expected stops are in and resumed, the debugger closes the simulator's window, which
// must then send the exit notice as its last message.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kAttach = 0xB000, kResume = 0xB001, kExit = 0xB002, kStopNotice = 0xB003;
constexpr UINT kResumeLater = WM_APP + 1;  // to ourselves: resume once the stop notice is in
constexpr DWORD kCaseLimitMs = 180'000;

struct Stop {
    uint32_t line = 0;
    uint32_t function = 0;  // high half of the snapshot's data word
    uint32_t size = 0;
    bool pattern = false;  // the bytes INITDATA left at 0x6FF0
};

struct Case {
    const char* what;
    int32_t initial;
    int32_t resume;
    bool resumeDuringSnapshot;
    std::vector<uint32_t> lines;
};

// What one run saw.
struct Run {
    const Case* c = nullptr;
    HWND simulator = nullptr;
    bool attachFirst = false;
    bool attachIsWindow = false;
    std::vector<Stop> stops;
    bool snapshotPending = false;
    bool exitSeen = false;
    bool afterExit = false;  // something came after the exit notice
    bool closeSent = false;
    int messages = 0;
};

Run* gRun = nullptr;

void closeSimulator(Run* run) {
    if (run->closeSent || !run->simulator) return;
    run->closeSent = true;
    PostMessageW(run->simulator, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK debuggerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Run* run = gRun;
    if (run == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    const bool fromSimulator =
        message == kAttach || message == WM_COPYDATA || message == kStopNotice || message == kExit;
    if (fromSimulator && run->exitSeen) run->afterExit = true;
    switch (message) {
        case kAttach: {
            run->attachFirst = run->messages++ == 0;
            run->simulator = reinterpret_cast<HWND>(wParam);
            wchar_t cls[64] = {};
            GetClassNameW(run->simulator, cls, 64);
            run->attachIsWindow = IsWindow(run->simulator) && wcscmp(cls, L"MyCorvaneClass") == 0;
            return 0;
        }
        case WM_COPYDATA: {
            ++run->messages;
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            Stop s;
            s.function = uint32_t(data->dwData) >> 16;
            s.size = data->cbData;
            const auto* bytes = static_cast<const uint8_t*>(data->lpData);
            s.pattern =
                data->cbData == 20480 && std::memcmp(bytes + 0x4FF0, "\xDE\xAD\xBE\xEF", 4) == 0;
            run->stops.push_back(s);
            run->snapshotPending = true;
            // Sent back while the simulator still waits for this very message.
            if (run->c->resumeDuringSnapshot)
                SendMessageW(reinterpret_cast<HWND>(wParam), kResume, WPARAM(run->c->resume), 0);
            return TRUE;
        }
        case kStopNotice:
            ++run->messages;
            if (!run->snapshotPending) run->stops.push_back({});  // a notice without a snapshot
            run->snapshotPending = false;
            run->stops.back().line = uint32_t(wParam);
            if (!run->c->resumeDuringSnapshot)
                PostMessageW(hwnd, kResumeLater, 0, 0);
            else if (run->stops.size() >= run->c->lines.size())
                closeSimulator(run);
            return 0;
        case kResumeLater:
            SendMessageW(run->simulator, kResume, WPARAM(run->c->resume), 0);
            if (run->stops.size() >= run->c->lines.size()) closeSimulator(run);
            return 0;
        case kExit:
            ++run->messages;
            run->exitSeen = true;
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

std::wstring widen(const char* s) {
    std::wstring out;
    const int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    out.resize(size_t(n > 0 ? n - 1 : 0));
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s, -1, out.data(), n);
    return out;
}

// Runs corvane.exe on the image under one case; false (with the reason printed) on a failure.
bool runCase(HWND window, const std::wstring& exe, const std::wstring& image, const Case& c) {
    Run run;
    run.c = &c;
    gRun = &run;
    std::wstring line = L"\"" + exe + L"\" /W" + std::to_wstring(uintptr_t(window)) + L" /S" +
                        std::to_wstring(uint32_t(c.initial)) + L" /R" + image;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        std::printf("FAIL %s: corvane.exe did not start\n", c.what);
        gRun = nullptr;
        return false;
    }
    CloseHandle(pi.hThread);
    const DWORD start = GetTickCount();
    bool ended = false;
    while (!ended) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed > kCaseLimitMs) break;
        const DWORD r =
            MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, kCaseLimitMs - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        ended = r == WAIT_OBJECT_0;
    }
    DWORD code = 1;
    if (!ended) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    gRun = nullptr;

    std::string problem;
    std::vector<uint32_t> lines;
    for (const Stop& s : run.stops) lines.push_back(s.line);
    if (!ended)
        problem = "corvane.exe did not end";
    else if (code != 0)
        problem = "corvane.exe ended with status " + std::to_string(code);
    else if (!run.attachFirst)
        problem = "the attach notice was not the first message";
    else if (!run.attachIsWindow)
        problem = "the attach notice did not carry the window";
    else if (lines != c.lines)
        problem = "the stops were not the expected ones";
    else if (!run.exitSeen)
        problem = "no exit notice";
    else if (run.afterExit)
        problem = "messages after the exit notice";
    for (const Stop& s : run.stops) {
        if (!problem.empty()) break;
        const uint32_t function = s.line >= 20 ? 7 : 5;  // 65,541 keeps its low 16 bits: 5
        if (s.size != 20480 || !s.pattern)
            problem = "a snapshot is not the data area";
        else if (s.function != function)
            problem = "a data word's function is wrong";
    }
    std::printf("%s %s", problem.empty() ? "ok  " : "FAIL", c.what);
    if (!problem.empty()) {
        std::printf(": %s (stops:", problem.c_str());
        for (uint32_t l : lines) std::printf(" %u", l);
        std::printf(")");
    }
    std::printf("\n");
    std::fflush(stdout);
    return problem.empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: debugger CORVANE_EXE IMAGE\n");
        return 2;
    }
    WNDCLASSW cls{};
    cls.lpfnWndProc = debuggerProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"CorvaneTestDebugger";
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"test debugger", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, cls.hInstance, nullptr);
    if (!window) return 2;
    const std::vector<Case> cases = {
        {"every line, called functions included, resumed during the snapshot",
         -2,
         -2,
         true,
         {10, 11, 20, 21, 12, 20, 21, 13}},
        {"same function only: calls run through", 0, 0, false, {10, 11, 12, 13}},
        {"one line, met on every call", 20, 20, false, {20, 20}},
        {"first stop only, then run free", 20, -1, true, {20}},
    };
    int failures = 0;
    for (const Case& c : cases)
        if (!runCase(window, widen(argv[1]), widen(argv[2]), c)) ++failures;
    DestroyWindow(window);
    return failures == 0 ? 0 : 1;
}
