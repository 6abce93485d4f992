#include "tools/vrndbg/window_transport.h"

#include <algorithm>

#include "tools/vrndbg/simulator_process.h"

namespace corvane {
namespace {

// Posted by the console thread after each read and at the end of input.
constexpr UINT kTypedMessage = WM_APP + 1;
const wchar_t* kClassName = L"VrndbgLink";

}  // namespace

WindowTransport::WindowTransport() = default;

WindowTransport::~WindowTransport() {
    close();
}

std::string WindowTransport::prepare() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW cls{};
    cls.lpfnWndProc = windowProc;
    cls.hInstance = instance;
    cls.lpszClassName = kClassName;
    RegisterClassW(&cls);
    window_ = CreateWindowExW(0, kClassName, L"vrndbg", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, this);
    if (!window_) return "";
    // Typing before the attach is kept for the first stop.
    const HWND window = window_;
    if (!console_.start([window] { PostMessageW(window, kTypedMessage, 0, 0); })) return "";
    return std::to_string(uintptr_t(window_));
}

LRESULT CALLBACK WindowTransport::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<WindowTransport*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(self));
        self->window_ = hwnd;  // the messages of its creation come before CreateWindowEx returns
    }
    auto* self = reinterpret_cast<WindowTransport*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT WindowTransport::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // Every notice is only queued here: the simulator waits inside SendMessage until we return.
    DebugRecord r;
    switch (message) {
        case kDebugMsgAttach: {
            simulator_ = reinterpret_cast<HWND>(wParam);
            DWORD pid = 0;
            GetWindowThreadProcessId(simulator_, &pid);
            r.message = kDebugMsgAttach;
            r.first = pid;
            break;
        }
        case WM_COPYDATA: {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            const auto* bytes = static_cast<const uint8_t*>(data->lpData);
            r.message = kDebugMsgSnapshot;
            r.second = uint32_t(data->dwData);
            if (bytes != nullptr)
                r.payload.assign(bytes, bytes + std::min<DWORD>(data->cbData, kDebugMaxPayload));
            records_.push_back(std::move(r));
            return TRUE;
        }
        case kDebugMsgStop:
            r.message = kDebugMsgStop;
            r.first = uint32_t(wParam);
            r.second = uint32_t(lParam);
            break;
        case kDebugMsgExit:
            r.message = kDebugMsgExit;
            break;
        case kTypedMessage:
            typed_ = true;
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
    records_.push_back(std::move(r));
    return 0;
}

void WindowTransport::pump(DWORD timeoutMs) {
    const bool watch = process_ != nullptr && !gone_;
    const DWORD r = MsgWaitForMultipleObjectsEx(watch ? 1 : 0, watch ? &process_ : nullptr,
                                                timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    // Its last notices were sent before it ended, so they are in by now.
    if (watch && r == WAIT_OBJECT_0) gone_ = true;
}

DebugTransport::Attach WindowTransport::attach(SimulatorProcess& simulator, int timeoutMs) {
    process_ = static_cast<HANDLE>(simulator.handle());
    const DWORD start = GetTickCount();
    while (!simulator_) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= DWORD(timeoutMs)) return Attach::TimedOut;
        pump(DWORD(timeoutMs) - elapsed);
        if (!simulator_ && (gone_ || simulator.ended())) return Attach::Ended;
    }
    return Attach::Attached;
}

bool WindowTransport::resume(int32_t stopValue) {
    if (!connected()) return false;
    // Notices the simulator sends meanwhile reach our window while we wait. A simulator that
    // does not answer within the channel's limit is taken for gone, as on the TCP link.
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(simulator_, kDebugMsgResume, WPARAM(uint32_t(stopValue)), 0,
                            SMTO_NORMAL, kDebugAckTimeoutMs, &result) == 0) {
        gone_ = true;
        return false;
    }
    return true;
}

bool WindowTransport::connected() const {
    return simulator_ != nullptr && !gone_ && !closed_;
}

void WindowTransport::wait(CommandInput& input) {
    if (records_.empty() && !typed_ && connected()) pump(INFINITE);
    while (!records_.empty()) {
        DebugRecord r = std::move(records_.front());
        records_.pop_front();
        if (onRecord) onRecord(r);
    }
    if (typed_) console_.take(input);
    typed_ = false;
}

void WindowTransport::close() {
    if (closed_) return;
    closed_ = true;
    // Later sends of the simulator reach no window and return at once.
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
}

}  // namespace corvane
