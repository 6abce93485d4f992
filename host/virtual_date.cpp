#include "host/virtual_date.h"

#include <cstdio>

namespace corvane {

// Howard Hinnant's well-known days/civil conversions (public domain algorithms).
int64_t daysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t days, int64_t& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2);
}

namespace {

int daysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

constexpr int64_t kNsPerSecond = 1'000'000'000;
constexpr int64_t kSecondsPerDay = 86'400;

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

bool validLocalTime(const LocalTime& t) {
    // The range the desktop clock accepts (years 1601-30827).
    if (t.year < 1601 || t.year > 30827) return false;
    if (t.month < 1 || t.month > 12) return false;
    if (t.day < 1 || t.day > daysInMonth(t.year, t.month)) return false;
    return t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
           t.second < 60;
}

std::optional<LocalTime> parseDateTime(const std::string& text) {
    LocalTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &tail) != 6)
        return std::nullopt;
    if (text.size() != 19 || !validLocalTime(t)) return std::nullopt;
    t.millisecond = 0;
    return t;
}

void VirtualDate::set(const LocalTime& start, uint64_t clockNs) {
    const int64_t days = daysFromCivil(start.year, start.month, start.day);
    const int64_t seconds =
        days * kSecondsPerDay + start.hour * 3600 + start.minute * 60 + start.second;
    originNs_ = seconds * kNsPerSecond + int64_t(start.millisecond) * 1'000'000 - int64_t(clockNs);
}

LocalTime VirtualDate::at(uint64_t clockNs) const {
    const int64_t ns = originNs_ + int64_t(clockNs);
    const int64_t seconds = floorDiv(ns, kNsPerSecond);
    const int64_t days = floorDiv(seconds, kSecondsPerDay);
    const int64_t secondOfDay = seconds - days * kSecondsPerDay;
    LocalTime t;
    int64_t year = 0;
    civilFromDays(days, year, t.month, t.day);
    t.year = int(year);
    t.hour = int(secondOfDay / 3600);
    t.minute = int(secondOfDay / 60 % 60);
    t.second = int(secondOfDay % 60);
    t.millisecond = int((ns - seconds * kNsPerSecond) / 1'000'000);
    // 1970-01-01 was a Thursday.
    t.dayOfWeek = int(((days % 7) + 11) % 7);
    return t;
}

}  // namespace corvane
