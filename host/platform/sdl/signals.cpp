#include "host/platform/sdl/signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace corvane {

namespace {

int gPipe[2] = {-1, -1};
volatile sig_atomic_t gSignalled = 0;

void onSignal(int) {
    const int saved = errno;
    gSignalled = 1;
    const char byte = 1;
    if (gPipe[1] >= 0) [[maybe_unused]]
        ssize_t n = write(gPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

bool installQuitSignals() {
    if (gPipe[0] < 0 && pipe2(gPipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no restart: a wait in progress returns at once
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    return true;
}

int quitSignalDescriptor() {
    return gPipe[0];
}

bool takeQuitSignal() {
    if (!gSignalled) return false;
    gSignalled = 0;
    char buffer[64];
    while (gPipe[0] >= 0 && read(gPipe[0], buffer, sizeof buffer) > 0) {
    }
    return true;
}

}  // namespace corvane
