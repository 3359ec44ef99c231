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

    // A date and time of day from checked fields; the day of week stays 0.
    static constexpr DateTimeRecord of(int year, int month, int day, int hour, int minute,
                                       int second = 0) {
        DateTimeRecord t;
        t.year = static_cast<std::uint16_t>(year);
        t.month = static_cast<std::uint16_t>(month);
        t.day = static_cast<std::uint16_t>(day);
        t.hour = static_cast<std::uint16_t>(hour);
        t.minute = static_cast<std::uint16_t>(minute);
        t.second = static_cast<std::uint16_t>(second);
        return t;
    }

    friend bool operator==(const DateTimeRecord&, const DateTimeRecord&) = default;
};

// The number of days of `month` (1..12) in `year` of the Gregorian calendar;
// 0 for any other month.
constexpr int daysInMonth(int year, int month) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    switch (month) {
    case 2:
        return leap ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return month >= 1 && month <= 12 ? 31 : 0;
    }
}
