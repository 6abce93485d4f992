#pragma once
// Virtual time counted in instructions: each instruction advances the clock by 1/ips s, and a wait
// jumps the clock straight to its deadline. The runner and the browser page's test hook keep the
// same clock, so a run is the same run frame for frame whatever the host's speed.

#include <cstdint>

namespace corvane {

class InstructionClock {
  public:
    explicit InstructionClock(uint64_t instructionsPerSecond)
        : ips_(instructionsPerSecond ? instructionsPerSecond : 1) {}

    uint64_t nowNs() const {
        // Instructions and waits kept apart, so the time of an instruction count is exact at
        // any rate.
        const unsigned __int128 ns = (unsigned __int128)instructions_ * 1'000'000'000u / ips_;
        return waitedNs_ + uint64_t(ns);
    }
    // Enough instructions to reach `deadlineNs` exactly (rounded up), so a frame is due right
    // after the batch; at least one.
    uint64_t budgetTo(uint64_t deadlineNs) const {
        const uint64_t now = nowNs();
        if (deadlineNs <= now) return 1;
        const unsigned __int128 span = deadlineNs - now;
        const unsigned __int128 count = (span * ips_ + 999'999'999u) / 1'000'000'000u;
        return count > ~uint64_t(0) ? ~uint64_t(0) : uint64_t(count ? count : 1);
    }
    void executed(uint64_t count) { instructions_ += count; }
    void waitUntil(uint64_t deadlineNs) {
        const uint64_t now = nowNs();
        if (deadlineNs > now) waitedNs_ += deadlineNs - now;
    }

    // Where the clock stands, and back there (the reverse debugger's positions).
    uint64_t instructions() const { return instructions_; }
    uint64_t waitedNs() const { return waitedNs_; }
    void restore(uint64_t instructions, uint64_t waitedNs) {
        instructions_ = instructions;
        waitedNs_ = waitedNs;
    }

  private:
    uint64_t ips_;
    uint64_t instructions_ = 0;
    uint64_t waitedNs_ = 0;
};

}  // namespace corvane
