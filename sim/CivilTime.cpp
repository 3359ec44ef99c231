#include "CivilTime.h"

#include <chrono>

namespace tq820sim {

using namespace std::chrono;

int daysInMonth(int year, int month) {
    if (month < 1 || month > 12)
        return 0;
    const year_month_day_last last{std::chrono::year{year} / std::chrono::month{unsigned(month)} /
                                   std::chrono::last};
    return int(unsigned(last.day()));
}

bool isValid(const CivilTime& t) {
    return t.year >= 1971 && t.year <= 2199 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 &&
           t.minute < 60 && t.second >= 0 && t.second < 60;
}

std::int64_t toSeconds(const CivilTime& t) {
    const sys_days date{std::chrono::year{t.year} / std::chrono::month{unsigned(t.month)} /
                        std::chrono::day{unsigned(t.day)}};
    return std::int64_t(date.time_since_epoch().count()) * 86400 + t.hour * 3600 + t.minute * 60 +
           t.second;
}

CivilTime fromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const year_month_day ymd{sys_days{std::chrono::days{days}}};
    CivilTime t;
    t.year = int(ymd.year());
    t.month = int(unsigned(ymd.month()));
    t.day = int(unsigned(ymd.day()));
    t.hour = int(rest / 3600);
    t.minute = int(rest / 60 % 60);
    t.second = int(rest % 60);
    return t;
}

int weekday(const CivilTime& t) {
    const sys_days date{std::chrono::year{t.year} / std::chrono::month{unsigned(t.month)} /
                        std::chrono::day{unsigned(t.day)}};
    return int(year_month_weekday{date}.weekday().iso_encoding());
}

} // namespace tq820sim
