#include "recording/MemoryRecordTime.h"

#include <tuple>

namespace {

// Two digits at `at`, or -1.
int twoDigits(std::string_view text, std::size_t at) {
    const char a = text[at];
    const char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') {
        return -1;
    }
    return (a - '0') * 10 + (b - '0');
}

// A leap day waits at most eight years for its next leap year (1896 to 1904).
constexpr int kYearsBack = 8;

} // namespace

std::optional<DateTimeRecord> memoryRecordTime(std::string_view timeText,
                                               const DateTimeRecord& downloadedAt) {
    if (timeText.size() != 11 || timeText[2] != '-' || timeText[5] != ' ' || timeText[8] != ':') {
        return std::nullopt;
    }
    const int month = twoDigits(timeText, 0);
    const int day = twoDigits(timeText, 3);
    const int hour = twoDigits(timeText, 6);
    const int minute = twoDigits(timeText, 9);
    if (month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
        return std::nullopt;
    }
    const auto key = [](int y, int mo, int d, int h, int mi) {
        return std::tuple(y, mo, d, h, mi);
    };
    const auto limit = key(downloadedAt.year, downloadedAt.month, downloadedAt.day,
                           downloadedAt.hour, downloadedAt.minute);
    for (int year = downloadedAt.year; year >= downloadedAt.year - kYearsBack; --year) {
        if (day > daysInMonth(year, month) || key(year, month, day, hour, minute) > limit) {
            continue;
        }
        return DateTimeRecord::of(year, month, day, hour, minute);
    }
    return std::nullopt;
}
