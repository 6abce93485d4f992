#include "host/platform/sdl/local_clock.h"

#include "host/system_date.h"

#include <time.h>

namespace corvane {

LocalClock::LocalClock() : start_(std::chrono::steady_clock::now()) {}

uint64_t LocalClock::nowNs() const {
    return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now() - start_)
                        .count());
}

LocalTime LocalClock::localTime() const {
    return systemLocalTime();
}

void LocalClock::setLocalTime(const LocalTime& time) {
    if (!validLocalTime(time)) return;  // the host clock would refuse it too
    tm parts{};
    parts.tm_year = time.year - 1900;
    parts.tm_mon = time.month - 1;
    parts.tm_mday = time.day;
    parts.tm_hour = time.hour;
    parts.tm_min = time.minute;
    parts.tm_sec = time.second;
    parts.tm_isdst = -1;
    const time_t seconds = mktime(&parts);
    if (seconds == time_t(-1)) return;
    timespec ts{};
    ts.tv_sec = seconds;
    ts.tv_nsec = long(time.millisecond) * 1'000'000;
    clock_settime(CLOCK_REALTIME, &ts);  // refused without the right to set the clock: ignored
}

}  // namespace corvane
