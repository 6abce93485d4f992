#include "tools/vrndbg/console_thread_win32.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <utility>

namespace corvane {

struct ConsoleThread::Shared {
    std::function<void()> notify;
    std::mutex lock;
    std::string typed;
    bool ended = false;
};

namespace {

DWORD WINAPI readConsole(void* param) {
    // The thread owns one reference: the object may be gone while a read blocks.
    auto* held = static_cast<std::shared_ptr<ConsoleThread::Shared>*>(param);
    const std::shared_ptr<ConsoleThread::Shared> shared = std::move(*held);
    delete held;
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buf[4096];
    DWORD got = 0;
    while (in != nullptr && in != INVALID_HANDLE_VALUE &&
           ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) {
        {
            std::lock_guard<std::mutex> guard(shared->lock);
            shared->typed.append(buf, got);
        }
        shared->notify();
    }
    {
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->ended = true;
    }
    shared->notify();
    return 0;
}

}  // namespace

bool ConsoleThread::start(std::function<void()> notify) {
    shared_ = std::make_shared<Shared>();
    shared_->notify = std::move(notify);
    auto* held = new std::shared_ptr<Shared>(shared_);
    const HANDLE thread = CreateThread(nullptr, 0, readConsole, held, 0, nullptr);
    if (thread == nullptr) {
        delete held;
        return false;
    }
    CloseHandle(thread);
    return true;
}

void ConsoleThread::take(CommandInput& input) {
    if (!shared_) return;
    std::string typed;
    bool ended = false;
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        typed.swap(shared_->typed);
        ended = shared_->ended;
    }
    input.feed(typed.data(), typed.size());
    if (ended) input.end();
}

}  // namespace corvane
