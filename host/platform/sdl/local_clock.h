#pragma once
// The desktop program's clocks: the monotonic clock that frames and delays follow, and the local
// date that the time calls read and SetTime sets. SetTime really sets the host's clock
// (clock_settime; a refusal is ignored, as the host would refuse it silently), unless the clock is
// virtual: then only a date of our own moves, starting at the host's local time.

#include <chrono>
#include <cstdint>

#include "host/platform/headless/virtual_date.h"
#include "vm/host.h"

namespace corvane {

class LocalClock {
  public:
    explicit LocalClock(bool virtualDate);

    // Nanoseconds since the clock was made.
    uint64_t nowNs() const;
    // std::chrono time of a reading of nowNs().
    std::chrono::steady_clock::time_point timePoint(uint64_t ns) const {
        return start_ + std::chrono::nanoseconds(ns);
    }

    LocalTime localTime() const;
    void setLocalTime(const LocalTime& time);
    bool virtualDate() const { return virtual_; }

  private:
    std::chrono::steady_clock::time_point start_;
    bool virtual_;
    VirtualDate date_;
};

// The host's local date and time now.
LocalTime hostLocalTime();

}  // namespace corvane
