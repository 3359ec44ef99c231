#pragma once

#include <cstdint>

// A calendar date and time of day with the field order of the panel's and the
// platform's date-time record: year, month (1-12), day of week, day, hour,
// minute, second, millisecond.
struct DateTimeRecord {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;

    friend bool operator==(const DateTimeRecord&, const DateTimeRecord&) = default;
};
