#include "admin/PanelClock.h"

namespace {

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

int daysInMonth(int year, int month) {
    switch (month) {
    case 2:
        return isLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return month >= 1 && month <= 12 ? 31 : 0;
    }
}

std::optional<DateTimeRecord> panelClockShown(const DateTimeRecord& computerNow,
                                              const DateTimeRecord& panelClock) {
    DateTimeRecord shown = computerNow;
    shown.month = panelClock.month;
    shown.day = panelClock.day;
    shown.hour = panelClock.hour;
    shown.minute = panelClock.minute;
    shown.second = 0;
    const bool validDate = shown.day >= 1 && shown.day <= daysInMonth(shown.year, shown.month);
    const bool validTime = shown.hour <= 23 && shown.minute <= 59;
    if (!validDate || !validTime) {
        return std::nullopt;
    }
    return shown;
}
