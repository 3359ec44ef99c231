#include "history/PanelRecords.h"

#include "ZoneForTests.h"

#include <gtest/gtest.h>

namespace {

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
    // The year is memoryRecordTime's, with the panel's clock allowed to run
    // up to two hours ahead of the download.
    MemoryRecord ahead = wind;
    ahead.timeText = "10-27 13:59";
    MemoryRecord tooFarAhead = wind;
    tooFarAhead.timeText = "10-27 14:01";

    CentralEuropeanZone zone;
    const std::vector<MemoryRecord> records{thp, broken, wind, ahead, tooFarAhead};
    const std::int64_t summer = wallSeconds({2026, 10, 25, 2, 30, 0}) - 7200;
    const PanelRecordRows out = panelRecordRows(records, {2026, 10, 27, 12, 0, 0}, zone);
    ASSERT_EQ(out.rows.size(), 4u);
    EXPECT_EQ(out.unreadable, 1);
    EXPECT_EQ(out.rows[0], (PanelRecordRow{summer, 7200, {-53, std::nullopt, 10132}}));
    EXPECT_EQ(out.rows[1],
              (PanelRecordRow{
                  summer + 3600, 3600, {std::nullopt, std::nullopt, std::nullopt, 34, 2700}}));
    EXPECT_EQ(out.rows[2].utc, wallSeconds({2026, 10, 27, 13, 59, 0}) - 3600);
    EXPECT_EQ(out.rows[3].utc, wallSeconds({2025, 10, 27, 14, 1, 0}) - 3600);
}

} // namespace
