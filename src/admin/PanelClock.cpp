#include "admin/PanelClock.h"

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
