#pragma once
// Standard input for a wait that watches sockets: descriptor() becomes readable when typing has
// come or the input has ended, and take() then moves it into the command lines without blocking.
// On Linux that is standard input itself; on Windows, where sockets are all a socket wait takes,
// a reading thread wakes the wait through a loopback connection of its own.

#include <memory>

#include "tools/vrndbg/command_input.h"

namespace corvane {

class ConsoleReader {
  public:
    ConsoleReader();
    ~ConsoleReader();
    ConsoleReader(const ConsoleReader&) = delete;
    ConsoleReader& operator=(const ConsoleReader&) = delete;

    // False when the reader cannot be set up.
    bool start();
    // What to wait on; -1 once the input has ended.
    int descriptor() const;
    // After descriptor() was readable: what was typed goes into `input`.
    void take(CommandInput& input);

  private:
    struct System;
    std::unique_ptr<System> system_;
    bool ended_ = false;
};

}  // namespace corvane
