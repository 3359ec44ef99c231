#pragma once

#include "history/LocalTimeResolver.h"

// Central European time as the EU keeps it: UTC+1, and UTC+2 from the last
// Sunday of March to the last Sunday of October, changing at 01:00 UTC.
class CentralEuropeanZone : public ZoneRules {
public:
    std::int32_t offsetAt(std::int64_t utc) const override {
        const int year = wallTime(utc).year;
        return utc >= change(year, 3) && utc < change(year, 10) ? 7200 : 3600;
    }

    // 01:00 UTC on the last Sunday of the month.
    static std::int64_t change(int year, int month) {
        const std::int64_t lastDay = wallSeconds({year, month + 1, 1, 0, 0, 0}) / 86400 - 1;
        const std::int64_t weekday = (lastDay + 4) % 7; // 1970-01-01 was a Thursday; 0 = Sunday
        return (lastDay - weekday) * 86400 + 3600;
    }
};
