#pragma once
// The desktop program's clocks: the monotonic clock that frames and delays follow, and the host's
// local date and time. Setting it really sets the host's clock (clock_settime; a refusal is
// ignored, as the host would refuse it silently); the App asks for that only when vorn.ini
// enables it, and otherwise keeps a date of its own.

#include <chrono>
#include <cstdint>

#include "host/virtual_date.h"
#include "vm/host.h"

namespace corvane {

class LocalClock {
  public:
    LocalClock();

    // Nanoseconds since the clock was made.
    uint64_t nowNs() const;
    // std::chrono time of a reading of nowNs().
    std::chrono::steady_clock::time_point timePoint(uint64_t ns) const {
        return start_ + std::chrono::nanoseconds(ns);
    }

    LocalTime localTime() const;
    void setLocalTime(const LocalTime& time);

  private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace corvane
