#pragma once

#include "protocol/DateTimeRecord.h"

#include <chrono>
#include <string>

// A moment as the computer's local date and time (Sunday is day 0).
DateTimeRecord localDateTime(std::chrono::system_clock::time_point time);

// A moment in ISO 8601 local time with milliseconds and the offset from UTC
// in force then: "2026-03-01T12:00:05.123+01:00".
std::string isoLocalTime(std::chrono::system_clock::time_point time);
