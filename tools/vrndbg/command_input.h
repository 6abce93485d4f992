#pragma once
// The user's typing, cut into command lines: bytes come in as they are read, from a terminal, a
// pipe or a file, and whole lines go out. A last line without its newline counts once the input
// has ended; carriage returns (Windows line ends) are dropped.

#include <cstddef>
#include <deque>
#include <string>

namespace corvane {

class CommandInput {
  public:
    void feed(const char* bytes, size_t size);
    // No more input will come.
    void end();

    bool ended() const { return ended_; }
    bool hasLine() const { return !lines_.empty(); }
    // The oldest complete line; only when hasLine().
    std::string take();

  private:
    std::deque<std::string> lines_;
    std::string partial_;
    bool ended_ = false;
};

}  // namespace corvane
