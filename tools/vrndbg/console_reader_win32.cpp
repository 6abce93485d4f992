#include <cstdint>
#include <memory>

#include "shared/socket.h"
#include "tools/vrndbg/console_reader.h"
#include "tools/vrndbg/console_thread_win32.h"

namespace corvane {

// The reading thread sends one byte into `wake` after each read; the wait watches `woken`.
struct ConsoleReader::System {
    int wake = -1;
    int woken = -1;
    ConsoleThread thread;
};

ConsoleReader::ConsoleReader() = default;

ConsoleReader::~ConsoleReader() {
    // `wake` belongs to the thread's wake-up, which goes with the thread.
    if (system_ && system_->woken >= 0) sock::close(system_->woken);
}

bool ConsoleReader::start() {
    system_ = std::make_unique<System>();
    uint16_t port = 0;
    const int listener = sock::listenLoopback(port);
    if (listener < 0) return false;
    system_->wake = sock::connectLoopback(port);
    if (system_->wake >= 0 && (sock::wait(listener, false, 5000) & sock::kReadable))
        system_->woken = sock::acceptOne(listener);
    sock::close(listener);
    if (system_->wake < 0 || system_->woken < 0) {
        if (system_->wake >= 0) sock::close(system_->wake);
        return false;
    }
    sock::prepare(system_->wake);
    sock::prepare(system_->woken);
    // The thread may still be reading when we are gone: its wake-up keeps the socket open.
    const std::shared_ptr<int> wake(new int(system_->wake), [](int* fd) {
        sock::close(*fd);
        delete fd;
    });
    return system_->thread.start([wake] {
        const uint8_t byte = 1;
        sock::sendSome(*wake, &byte, 1);
    });
}

int ConsoleReader::descriptor() const {
    return ended_ || !system_ ? -1 : system_->woken;
}

void ConsoleReader::take(CommandInput& input) {
    uint8_t drain[256];
    while (sock::recvSome(system_->woken, drain, sizeof drain) > 0) {
    }
    system_->thread.take(input);
    ended_ = input.ended();
}

}  // namespace corvane
