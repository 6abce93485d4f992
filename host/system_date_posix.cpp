#include "host/system_date.h"

#include <chrono>
#include <ctime>

namespace corvane {

LocalTime systemLocalTime() {
    const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    const std::time_t seconds = std::time_t(ms / 1000);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
    t.dayOfWeek = parts.tm_wday;
    t.millisecond = int(uint64_t(ms) % 1000);
    return t;
}

}  // namespace corvane
