#pragma once
// Standard input read by a thread of its own. A console or pipe read blocks, and the thread
// that waits for the simulator must never sit in one: the simulator waits for our answer. Pipes
// cannot be waited on at all, and a console handle is signalled by any of its events (a mouse
// move, a focus change), after which a read may still block. So this thread reads, keeps what it
// read, and calls `notify` (on its own thread) after each read and once at the end of input; the
// waiting thread then takes the typing without blocking.

#include <functional>
#include <memory>

#include "tools/vrndbg/command_input.h"

namespace corvane {

class ConsoleThread {
  public:
    // Starts reading; false when no thread could be made.
    bool start(std::function<void()> notify);
    // Moves what was read so far (and the end of input, once it came) into `input`.
    void take(CommandInput& input);

    // What the thread and this object share; the thread may still sit in a read when the
    // object is gone.
    struct Shared;

  private:
    // Shared with the thread, which may still sit in a read when we are gone.
    std::shared_ptr<Shared> shared_;
};

}  // namespace corvane
