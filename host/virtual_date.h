#pragma once
// A local date that moves with a clock but never touches the host's own: a per-process offset
// from the monotonic clock. The runner's dates are reproducible with it, and in every front end a
// program's SetTime moves only this date unless the user let it set the host's clock.

#include <cstdint>
#include <optional>
#include <string>

#include "vm/host.h"

namespace corvane {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(int64_t year, int month, int day);
void civilFromDays(int64_t days, int64_t& year, int& month, int& day);

// Whether the fields name a real date and time (as the host clock would accept it).
bool validLocalTime(const LocalTime& t);

// "YYYY-MM-DDTHH:MM:SS", or nothing when it does not parse or names no real date.
std::optional<LocalTime> parseDateTime(const std::string& text);

class VirtualDate {
  public:
    // The date `start` at clock time `clockNs`.
    void set(const LocalTime& start, uint64_t clockNs);
    // The date at clock time `clockNs`.
    LocalTime at(uint64_t clockNs) const;
    // The same as nanoseconds since 1970-01-01 00:00, and setting it that way (save states).
    int64_t nsAt(uint64_t clockNs) const { return originNs_ + int64_t(clockNs); }
    void setNs(int64_t dateNs, uint64_t clockNs) { originNs_ = dateNs - int64_t(clockNs); }

  private:
    int64_t originNs_ = 0;  // nanoseconds since 1970-01-01 00:00 local at clock time 0
};

}  // namespace corvane
