#pragma once
// The debugger's side of the link, whatever carries it: a TCP connection on 127.0.0.1 (the
// simulator gets "/W<port>") or window messages (the simulator gets "/W<our window handle>").
// A transport brings the simulator up to its attach notice and then carries the notices in and
// the resume requests out; it also waits for the user's typing, since one wait must watch both.
// The session's decisions (what a notice shows, when a command runs) do not depend on which.

#include <cstdint>
#include <functional>
#include <string>

#include "shared/debuglink.h"
#include "tools/vrndbg/command_input.h"

namespace corvane {

class SimulatorProcess;

class DebugTransport {
  public:
    enum class Attach { Attached, Ended, TimedOut, Failed };

    virtual ~DebugTransport() = default;

    // Gets ready to be reached; the "/W" argument's value, or "" when that fails.
    virtual std::string prepare() = 0;
    // Waits up to `timeoutMs` for the simulator started with prepare()'s value to attach.
    virtual Attach attach(SimulatorProcess& simulator, int timeoutMs) = 0;

    // The resume request with the new stop value; false when the simulator cannot be reached.
    virtual bool resume(int32_t stopValue) = 0;
    // False once the simulator is gone (without its exit notice the link was lost).
    virtual bool connected() const = 0;
    // Waits until the simulator sent something or the user typed something. Records go to
    // onRecord in the order they came; the typing goes into `input`.
    virtual void wait(CommandInput& input) = 0;
    // Ends the link; the simulator runs on without it.
    virtual void close() = 0;

    // The attach (first: the simulator's process id), snapshot (second: the data word, payload:
    // the data area), stop (first: the line value) and exit notices. It must not resume.
    std::function<void(const DebugRecord&)> onRecord;
};

}  // namespace corvane
