#pragma once

#include <cstdint>

namespace tq820sim {

// A wall-clock date and time as the panel keeps it (no time zone, no DST).
struct CivilTime {
    int year = 2026;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

int daysInMonth(int year, int month);
bool isValid(const CivilTime& t);

// Seconds since 1970-01-01 00:00:00, counting the civil time as if it were UTC.
std::int64_t toSeconds(const CivilTime& t);
CivilTime fromSeconds(std::int64_t seconds);

// 1 = Monday ... 7 = Sunday.
int weekday(const CivilTime& t);

} // namespace tq820sim
