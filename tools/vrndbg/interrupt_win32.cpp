#include <windows.h>

#include <atomic>

#include "tools/vrndbg/interrupt.h"

namespace corvane {
namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI onControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    interrupted = true;
    return TRUE;
}

}  // namespace

void catchInterrupts() {
    SetConsoleCtrlHandler(onControl, TRUE);
}

bool takeInterrupt() {
    return interrupted.exchange(false);
}

}  // namespace corvane
