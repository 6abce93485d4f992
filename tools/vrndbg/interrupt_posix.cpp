#include <signal.h>

#include "tools/vrndbg/interrupt.h"

namespace corvane {
namespace {

volatile sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

}  // namespace

void catchInterrupts() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no restart: the session's wait ends at once
    sigaction(SIGINT, &sa, nullptr);
}

bool takeInterrupt() {
    if (!interrupted) return false;
    interrupted = 0;
    return true;
}

}  // namespace corvane
