#pragma once

#include "protocol/DateTimeRecord.h"

#include <QDate>
#include <QTime>

// A Qt date and time as the record the core works with (Sunday is day 0).
inline DateTimeRecord toDateTimeRecord(const QDate& date, const QTime& time) {
    DateTimeRecord r;
    r.year = static_cast<std::uint16_t>(date.year());
    r.month = static_cast<std::uint16_t>(date.month());
    r.dayOfWeek = static_cast<std::uint16_t>(date.dayOfWeek() % 7);
    r.day = static_cast<std::uint16_t>(date.day());
    r.hour = static_cast<std::uint16_t>(time.hour());
    r.minute = static_cast<std::uint16_t>(time.minute());
    r.second = static_cast<std::uint16_t>(time.second());
    r.millisecond = static_cast<std::uint16_t>(time.msec());
    return r;
}
