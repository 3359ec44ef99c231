#include "recording/MemoryRecordTime.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

constexpr DateTimeRecord at(int year, int month, int day, int hour, int minute) {
    return DateTimeRecord::of(year, month, day, hour, minute);
}

struct YearCase {
    const char* name;
    const char* timeText;
    DateTimeRecord downloadedAt;
    std::optional<DateTimeRecord> expected;
};

class MemoryRecordYears : public ::testing::TestWithParam<YearCase> {};

TEST_P(MemoryRecordYears, LatestYearAtOrBeforeTheDownload) {
    EXPECT_EQ(memoryRecordTime(GetParam().timeText, GetParam().downloadedAt), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, MemoryRecordYears,
    ::testing::Values(
        YearCase{"SameYear", "03-01 00:30", at(2026, 3, 1, 12, 0), at(2026, 3, 1, 0, 30)},
        YearCase{"TheDownloadsMinute", "03-01 12:00", at(2026, 3, 1, 12, 0), at(2026, 3, 1, 12, 0)},
        YearCase{"AMinuteLaterIsLastYear", "03-01 12:01", at(2026, 3, 1, 12, 0),
                 at(2025, 3, 1, 12, 1)},
        YearCase{"AcrossTheYearEnd", "12-31 23:50", at(2027, 1, 2, 8, 0), at(2026, 12, 31, 23, 50)},
        YearCase{"LeapDayInALeapYear", "02-29 10:00", at(2028, 3, 1, 0, 0), at(2028, 2, 29, 10, 0)},
        YearCase{"LeapDayGoesBackToOne", "02-29 10:00", at(2027, 6, 1, 0, 0),
                 at(2024, 2, 29, 10, 0)},
        YearCase{"NoSuchDay", "04-31 10:00", at(2026, 6, 1, 0, 0), std::nullopt},
        YearCase{"NoSuchMonth", "13-01 10:00", at(2026, 6, 1, 0, 0), std::nullopt},
        YearCase{"NotATime", "03-01 1:00", at(2026, 6, 1, 0, 0), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
