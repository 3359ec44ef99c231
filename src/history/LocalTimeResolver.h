#pragma once

#include <cstdint>
#include <optional>

// A date and time on the local wall clock.
struct LocalDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The fields name a real date and time of day (29 February only in a leap
// year).
bool isValid(const LocalDateTime& t);

// Wall-clock time counted like UTC (seconds since 1970-01-01 00:00 of the
// same clock), and back: the arithmetic of dates without any time zone.
std::int64_t wallSeconds(const LocalDateTime& t);
LocalDateTime wallTime(std::int64_t seconds);

// Days since 1970-01-01 of a second count, rounded down (also before 1970).
std::int32_t dayNumber(std::int64_t seconds);

// The local calendar day of a moment, days since 1970-01-01.
inline std::int32_t localDay(std::int64_t utc, std::int32_t offset) {
    return dayNumber(utc + offset);
}

// The rules of the local time zone: the offset from UTC in force at a moment.
class ZoneRules {
public:
    virtual ~ZoneRules() = default;
    // Seconds east of UTC at the moment `utc` (seconds since 1970).
    virtual std::int32_t offsetAt(std::int64_t utc) const = 0;
};

// A moment given in UTC with the local offset in force.
struct ZonedTime {
    std::int64_t utc = 0;
    std::int32_t offset = 0;

    friend bool operator==(const ZonedTime&, const ZonedTime&) = default;
};

// Turns a sequence of local wall-clock times (the lines of a recording file,
// the records of the panel memory) into UTC. The hour that the change to
// winter time repeats is resolved by the order of the sequence: its first
// pass is summer time and, once the sequence has gone past it, the second
// pass is winter time, so neither hour is lost or doubled. A time that the
// change to summer time skips cannot have been read from a clock that
// followed the change; it is taken with the offset in force before the change
// (02:30 becomes 03:30 summer time).
class LocalTimeResolver {
public:
    explicit LocalTimeResolver(const ZoneRules& zone) : zone_(zone) {}

    ZonedTime resolve(const LocalDateTime& local);

private:
    const ZoneRules& zone_;
    std::optional<std::int64_t> previous_;
};
