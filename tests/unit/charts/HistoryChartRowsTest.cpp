#include "charts/HistoryChartRows.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t kTemp = 0, kRh = 1, kPress = 2, kSpeed = 3, kDir = 4;

TEST(HistoryChartRows, TenthsBecomeUnitsAndEmptyStaysUnknown) {
    MinuteRow m;
    m.utc = 1'781'000'040;
    m.offset = 7200;
    m.quantities[kTemp] = {60, -53, -50, -41};
    m.quantities[kRh] = {60, StoredValue{}, 803, StoredValue{}}; // extremes lost: the mean
    m.quantities[kPress] = {0, 10132, 10132, 10132};             // no second: unknown
    m.quantities[kSpeed] = {60, 12, 34, 79};
    m.quantities[kDir] = {40, 3500, 5, 100}; // arc across north: only its mean is drawn
    const ChartRow row = chartRowOf(m);
    EXPECT_EQ(row.utc, m.utc);
    EXPECT_EQ(row.offset, 7200);
    EXPECT_EQ(row.seconds, 60);
    const auto band = [](const Band& b) { return std::vector<float>{b.min, b.mean, b.max}; };
    EXPECT_EQ(band(row.values[kTemp]), (std::vector<float>{-5.3F, -5.0F, -4.1F}));
    EXPECT_EQ(band(row.values[kRh]), (std::vector<float>{80.3F, 80.3F, 80.3F}));
    EXPECT_FALSE(row.values[kPress].known());
    EXPECT_EQ(band(row.values[kSpeed]), (std::vector<float>{1.2F, 3.4F, 7.9F}));
    EXPECT_EQ(band(row.values[kDir]), (std::vector<float>{0.5F, 0.5F, 0.5F}));

    RawRow s{1'781'000'041, 3600, {215, StoredValue{}, 10132, 0, StoredValue{}}};
    const ChartRow second = chartRowOf(s);
    EXPECT_EQ(second.seconds, 1);
    EXPECT_FLOAT_EQ(second.values[kTemp].mean, 21.5F);
    EXPECT_FALSE(second.values[kRh].known());
    EXPECT_FLOAT_EQ(second.values[kSpeed].max, 0.0F);
    const ChartRow record = chartRowOf(PanelRecordRow{s.utc, s.offset, s.values});
    EXPECT_EQ(record.seconds, 0);
    EXPECT_FLOAT_EQ(record.values[kPress].mean, 1013.2F);
}

TEST(HistoryChartRows, DaysAsSummaryLinesAndAsRowsFromLocalMidnight) {
    DaySummary d;
    d.day = 20'613;
    d.quantities[kTemp] = {1440, -21, 100, 187, 200, 55};
    d.quantities[kDir] = {900, StoredValue{}, 0, StoredValue{}, 0, 2250};
    d.directionAtMaxSpeed = 2700;
    const DayRow line = dayRowOf(d);
    EXPECT_EQ(line.day, d.day);
    EXPECT_DOUBLE_EQ(line.values[kTemp].min, -2.1);
    EXPECT_EQ(line.values[kTemp].minUtc, 100);
    EXPECT_DOUBLE_EQ(line.values[kTemp].max, 18.7);
    EXPECT_EQ(line.values[kTemp].maxUtc, 200);
    EXPECT_DOUBLE_EQ(line.values[kTemp].mean, 5.5);
    EXPECT_TRUE(std::isnan(line.values[kRh].mean)) << "no second of it that day";
    EXPECT_DOUBLE_EQ(line.values[kDir].mean, 225.0);
    EXPECT_DOUBLE_EQ(line.directionAtMaxSpeed, 270.0);

    const ChartRow row = chartRowOf(d, 3600);
    EXPECT_EQ(row.utc, std::int64_t{d.day} * 86400 - 3600);
    EXPECT_EQ(row.seconds, 86400);
    EXPECT_FLOAT_EQ(row.values[kTemp].min, -2.1F);
    EXPECT_FLOAT_EQ(row.values[kTemp].max, 18.7F);
    EXPECT_FLOAT_EQ(row.values[kDir].mean, 225.0F);
    EXPECT_FALSE(row.values[kRh].known());
}

} // namespace
