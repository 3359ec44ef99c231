#pragma once

#include "protocol/DateTimeRecord.h"

#include <optional>

// The date and time the date and time dialog shows for the panel's clock:
// the computer's local date and time with the panel's month, day, hour and
// minute put in and the second set to 0. The panel sends no year, so the year
// (and with it the day of the week and the milliseconds) stays the
// computer's. Empty when the result is no real date and time (month 13, day
// 32, hour 25, 30 February, 29 February outside a leap year, ...), which the
// date and time controls would refuse.
std::optional<DateTimeRecord> panelClockShown(const DateTimeRecord& computerNow,
                                              const DateTimeRecord& panelClock);
