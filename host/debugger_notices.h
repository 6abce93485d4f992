#pragma once
// The app's side of the debugger link: the notices the debugger named by "/W" hears (attach,
// the data area's snapshot at a stop, the line of a stop, exit), sent through the platform's
// channel. A debugger told of a start-up that then fails hears the exit notice, as at the end of
// a program, so it is not left waiting for a stop that never comes.

#include <cstdint>

namespace corvane {

class Platform;

class DebuggerNotices {
  public:
    explicit DebuggerNotices(Platform& platform) : platform_(platform) {}

    // The debugger of "/W" (0 = none); nothing is sent yet.
    void name(uint32_t target) { target_ = target; }
    // Connects to it and sends the attach notice, when it can be reached.
    void attach();
    // A start-up failed: an attached debugger hears the exit notice, and nothing more is sent.
    void startFailed();

    void snapshot(uint32_t dataWord, const uint8_t* data, uint32_t size);
    void stop(uint32_t line);
    void exit();

  private:
    Platform& platform_;
    uint32_t target_ = 0;
    bool attached_ = false;  // the attach notice has gone out
};

}  // namespace corvane
