#include "tools/vrndbg/command_input.h"

#include <utility>

namespace corvane {

void CommandInput::feed(const char* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n') {
            lines_.push_back(std::move(partial_));
            partial_.clear();
        } else if (bytes[i] != '\r') {
            partial_ += bytes[i];
        }
    }
}

void CommandInput::end() {
    if (ended_) return;
    ended_ = true;
    if (!partial_.empty()) lines_.push_back(std::move(partial_));
    partial_.clear();
}

std::string CommandInput::take() {
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    return line;
}

}  // namespace corvane
