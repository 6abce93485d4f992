#pragma once
// The link as window messages, the simulator's own way on Windows: we own a message-only window
// (it is never shown and takes no part in the desktop, only messages reach it), the simulator
// gets "/W<its handle in decimal>" and sends to it: the attach notice 0xB000 with its window, the
// WM_COPYDATA snapshot, the stop notice 0xB003 and the exit notice 0xB002. The resume request
// 0xB001 is sent to the simulator's window.
//
// The console is read by a thread of its own that posts what it read to our window: a console
// or pipe read blocks, and the simulator waits inside SendMessage until our window has answered,
// so the thread that owns the window must never sit in a read. Pipes cannot be waited on with
// the message queue either, and a console handle is signalled by any event (a mouse move, a
// focus change), after which a read may still block.

#include <windows.h>

#include <deque>
#include <string>

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
    std::string typed_;                // read from the console, not yet given to the input
    bool typingEnded_ = false;
};

}  // namespace corvane
