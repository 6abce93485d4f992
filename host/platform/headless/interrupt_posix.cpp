#include "host/platform/headless/interrupt.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace corvane {

namespace {

int gPipe[2] = {-1, -1};
volatile sig_atomic_t gInterrupted = 0;  // the first signal's number, 0 before any

// Only async-signal-safe work: a flag, and one byte for whoever waits. The pipe is never drained,
// so it stays readable and every later wait returns at once too.
void onSignal(int signal) {
    const int saved = errno;
    if (gInterrupted == 0) gInterrupted = signal;
    const char byte = 1;
    if (gPipe[1] >= 0) [[maybe_unused]]
        ssize_t n = write(gPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

bool installInterruptSignals() {
    const bool piped = gPipe[0] >= 0 || pipe2(gPipe, O_NONBLOCK | O_CLOEXEC) == 0;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    // No restart: a wait in progress returns at once. Reset: a second signal ends the process.
    sa.sa_flags = SA_RESETHAND;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        // A signal the caller chose to ignore (nohup) stays ignored.
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(signal, &sa, nullptr);
    }
    return piped;
}

bool interruptRequested() {
    return gInterrupted != 0;
}

const char* interruptSignalName() {
    switch (gInterrupted) {
        case 0:
            return "";
        case SIGTERM:
            return "SIGTERM";
        case SIGINT:
            return "SIGINT";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

int interruptDescriptor() {
    return gPipe[0];
}

}  // namespace corvane
