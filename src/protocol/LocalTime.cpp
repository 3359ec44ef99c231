#include "protocol/LocalTime.h"

#include <cstdio>
#include <ctime>

namespace {

struct Local {
    std::tm tm{};
    int millisecond = 0;
    long offsetSeconds = 0; // east of UTC
};

Local toLocal(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto since = time.time_since_epoch();
    auto seconds = duration_cast<std::chrono::seconds>(since);
    auto ms = duration_cast<milliseconds>(since - seconds).count();
    if (ms < 0) { // before 1970: the remainder is taken from the second before
        ms += 1000;
        seconds -= std::chrono::seconds(1);
    }
    const std::time_t t = static_cast<std::time_t>(seconds.count());
    Local local;
    local.millisecond = static_cast<int>(ms);
#ifdef _WIN32
    localtime_s(&local.tm, &t);
    std::tm utc{};
    gmtime_s(&utc, &t);
    utc.tm_isdst = local.tm.tm_isdst;
    local.offsetSeconds = static_cast<long>(t - std::mktime(&utc));
#else
    localtime_r(&t, &local.tm);
    local.offsetSeconds = local.tm.tm_gmtoff;
#endif
    return local;
}

} // namespace

DateTimeRecord localDateTime(std::chrono::system_clock::time_point time) {
    const Local l = toLocal(time);
    DateTimeRecord r;
    r.year = static_cast<std::uint16_t>(l.tm.tm_year + 1900);
    r.month = static_cast<std::uint16_t>(l.tm.tm_mon + 1);
    r.dayOfWeek = static_cast<std::uint16_t>(l.tm.tm_wday);
    r.day = static_cast<std::uint16_t>(l.tm.tm_mday);
    r.hour = static_cast<std::uint16_t>(l.tm.tm_hour);
    r.minute = static_cast<std::uint16_t>(l.tm.tm_min);
    r.second = static_cast<std::uint16_t>(l.tm.tm_sec);
    r.millisecond = static_cast<std::uint16_t>(l.millisecond);
    return r;
}

std::string isoLocalTime(std::chrono::system_clock::time_point time) {
    const Local l = toLocal(time);
    const long offset = l.offsetSeconds < 0 ? -l.offsetSeconds : l.offsetSeconds;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                  l.tm.tm_year + 1900, l.tm.tm_mon + 1, l.tm.tm_mday, l.tm.tm_hour, l.tm.tm_min,
                  l.tm.tm_sec, l.millisecond, l.offsetSeconds < 0 ? '-' : '+', offset / 3600,
                  offset / 60 % 60);
    return text;
}
