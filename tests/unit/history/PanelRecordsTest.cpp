#include "history/PanelRecords.h"

#include "ZoneForTests.h"

#include <gtest/gtest.h>

namespace {

struct YearCase {
    const char* name;
    const char* timeText; // as the memory list shows it, "MM-DD hh:mm"
    LocalDateTime download;
    std::optional<LocalDateTime> expected;
};

void PrintTo(const YearCase& c, std::ostream* os) {
    *os << c.name;
}

class RecordYear : public ::testing::TestWithParam<YearCase> {};

TEST_P(RecordYear, IsTheLatestThatPutsTheRecordAtOrBeforeTheDownload) {
    const YearCase& c = GetParam();
    const std::optional<PanelTime> time = parsePanelTime(c.timeText);
    const std::optional<LocalDateTime> placed =
        time ? recordDateTime(*time, c.download) : std::nullopt;
    EXPECT_EQ(placed, c.expected);
}

constexpr LocalDateTime kMarch1{2026, 3, 1, 0, 30, 0};
constexpr LocalDateTime kNewYear{2026, 1, 1, 0, 10, 0};

INSTANTIATE_TEST_SUITE_P(
    Table, RecordYear,
    ::testing::Values(
        YearCase{"ADayBefore", "02-28 23:59", kMarch1, LocalDateTime{2026, 2, 28, 23, 59, 0}},
        YearCase{"AtTheDownload", "03-01 00:30", kMarch1, LocalDateTime{2026, 3, 1, 0, 30, 0}},
        YearCase{"AcrossTheYearEnd", "12-31 23:59", kNewYear,
                 LocalDateTime{2025, 12, 31, 23, 59, 0}},
        YearCase{"NewYearsFirstMinutes", "01-01 00:05", kNewYear,
                 LocalDateTime{2026, 1, 1, 0, 5, 0}},
        // A panel clock ahead of the computer's (or still on summer time):
        // its newest records are minutes old, not a year.
        YearCase{"PanelClockAhead", "03-01 02:30", kMarch1, LocalDateTime{2026, 3, 1, 2, 30, 0}},
        YearCase{"LaterThanTheDownload", "03-01 02:31", kMarch1,
                 LocalDateTime{2025, 3, 1, 2, 31, 0}},
        YearCase{"LaterInTheYear", "11-15 08:00", kMarch1, LocalDateTime{2025, 11, 15, 8, 0, 0}},
        // 29 February exists only in leap years, and only a leap year's panel
        // clock shows it.
        YearCase{"LeapDayInAYearWithout", "02-29 12:00", kMarch1,
                 LocalDateTime{2024, 2, 29, 12, 0, 0}},
        YearCase{"LeapDayInALeapYear", "02-29 12:00", LocalDateTime{2028, 3, 1, 0, 0, 0},
                 LocalDateTime{2028, 2, 29, 12, 0, 0}},
        YearCase{"LeapDayLaterThanTheDownload", "02-29 23:00", LocalDateTime{2028, 2, 29, 10, 0, 0},
                 LocalDateTime{2024, 2, 29, 23, 0, 0}},
        YearCase{"NoSuchDay", "02-30 10:00", kMarch1, std::nullopt},
        YearCase{"NoSuchMonth", "13-01 10:00", kMarch1, std::nullopt},
        YearCase{"NoSuchHour", "03-01 24:00", kMarch1, std::nullopt},
        YearCase{"NotATime", "3-1 0:30", kMarch1, std::nullopt}),
    [](const ::testing::TestParamInfo<YearCase>& info) { return std::string(info.param.name); });

// The rows keep the panel's values, its special codes as unknown values, and
// the place of each record in UTC.
TEST(PanelRecordRows, KeepValuesMarkSpecialCodesUnknownAndSkipTimesThatCannotBePlaced) {
    MemoryRecord thp;
    thp.timeText = "10-25 02:30"; // the hour that 2026 repeats: first pass, summer time
    thp.hasTempHumPress = true;
    thp.temperatureTenths = -53;
    thp.humidityTenths = 1020; // "Błąd pomiaru"
    thp.pressureTenths = 10132;
    MemoryRecord wind;
    wind.timeText = "10-25 02:30"; // the same wall time again, an hour later: winter time
    wind.hasWind = true;
    wind.speedTenths = 34;
    wind.directionDegrees = 270;
    MemoryRecord broken = wind;
    broken.timeText = "02-30 00:00";

    CentralEuropeanZone zone;
    const std::vector<MemoryRecord> records{thp, broken, wind};
    const std::int64_t summer = wallSeconds({2026, 10, 25, 2, 30, 0}) - 7200;
    const PanelRecordRows out = panelRecordRows(records, {2026, 10, 27, 12, 0, 0}, zone);
    ASSERT_EQ(out.rows.size(), 2u);
    EXPECT_EQ(out.unreadable, 1);
    EXPECT_EQ(out.rows[0], (PanelRecordRow{summer, 7200, {-53, std::nullopt, 10132}}));
    EXPECT_EQ(out.rows[1],
              (PanelRecordRow{
                  summer + 3600, 3600, {std::nullopt, std::nullopt, std::nullopt, 34, 2700}}));
}

} // namespace
