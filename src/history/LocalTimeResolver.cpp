#include "history/LocalTimeResolver.h"

#include <array>

namespace {

constexpr std::int64_t kDay = 86400;
// No zone on Earth is further than this from UTC.
constexpr std::int64_t kWidestOffset = 14 * 3600;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// days_from_civil).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The inverse (H. Hinnant's civil_from_days).
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int monthLength(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

} // namespace

bool isValid(const LocalDateTime& t) {
    return t.day >= 1 && t.day <= monthLength(t.year, t.month) && t.hour >= 0 && t.hour < 24 &&
           t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

std::int64_t wallSeconds(const LocalDateTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * kDay + t.hour * 3600 + t.minute * 60 + t.second;
}

LocalDateTime wallTime(std::int64_t seconds) {
    const std::int64_t days = floorDiv(seconds, kDay);
    const std::int64_t rest = seconds - days * kDay;
    LocalDateTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::int32_t dayNumber(std::int64_t seconds) {
    return static_cast<std::int32_t>(floorDiv(seconds, kDay));
}

ZonedTime LocalTimeResolver::resolve(const LocalDateTime& local) {
    const std::int64_t wall = wallSeconds(local);
    // The offsets in force well before and well after: a change of offset
    // near this time lies between them.
    const std::int32_t before = zone_.offsetAt(wall - kWidestOffset - kDay / 2);
    const std::int32_t after = zone_.offsetAt(wall + kWidestOffset + kDay / 2);
    std::optional<ZonedTime> earlier;
    std::optional<ZonedTime> later;
    for (const std::int32_t offset : {before, after}) {
        const std::int64_t utc = wall - offset;
        if (zone_.offsetAt(utc) != offset) {
            continue;
        }
        const ZonedTime candidate{utc, offset};
        if (!earlier || utc < earlier->utc) {
            later = earlier;
            earlier = candidate;
        } else if (utc > earlier->utc) {
            later = candidate;
        }
    }
    ZonedTime chosen;
    if (!earlier) {
        // Skipped by the change to summer time.
        chosen = ZonedTime{wall - before, zone_.offsetAt(wall - before)};
    } else if (later && previous_ && *previous_ >= earlier->utc) {
        // The repeated hour, met again after the sequence has gone past its
        // first pass.
        chosen = *later;
    } else {
        chosen = *earlier;
    }
    previous_ = chosen.utc;
    return chosen;
}
