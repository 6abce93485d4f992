#pragma once
// The link as window messages, the simulator's own way on Windows: we own a message-only window
// (it is never shown and takes no part in the desktop, only messages reach it), the simulator
// gets "/W<its handle in decimal>" and sends to it: the attach notice 0xB000 with its window, the
// WM_COPYDATA snapshot, the stop notice 0xB003 and the exit notice 0xB002. The resume request
// 0xB001 is sent to the simulator's window.
//
// The console is read by a thread of its own that posts a message to our window after each
// read, so the one wait of this thread (for messages and the simulator's end) also ends when
// something was typed: the simulator waits inside SendMessage until our window has answered.

#include <windows.h>

#include <deque>
#include <string>

#include "tools/vrndbg/console_thread_win32.h"
#include "tools/vrndbg/transport.h"

namespace corvane {

class WindowTransport : public DebugTransport {
  public:
    WindowTransport();
    ~WindowTransport() override;
    WindowTransport(const WindowTransport&) = delete;
    WindowTransport& operator=(const WindowTransport&) = delete;

    std::string prepare() override;
    Attach attach(SimulatorProcess& simulator, int timeoutMs) override;
    bool resume(int32_t stopValue) override;
    bool connected() const override;
    void wait(CommandInput& input) override;
    void close() override;

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // One wait for a message (or the simulator's end), up to `timeoutMs`, then every waiting
    // message is dispatched.
    void pump(DWORD timeoutMs);

    HWND window_ = nullptr;
    HWND simulator_ = nullptr;  // from the attach notice
    HANDLE process_ = nullptr;  // the simulator's process, to notice its end
    bool gone_ = false;         // the simulator ended or stopped answering
    bool closed_ = false;
    std::deque<DebugRecord> records_;  // arrived, not yet given to onRecord
    ConsoleThread console_;
    bool typed_ = false;  // the console thread read something since the last wait
};

}  // namespace corvane
