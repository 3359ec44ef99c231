#include "charts/ChartThinning.h"

#include "charts/ChartRange.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

ChartRow minute(std::int64_t utc, double t, double tMin, double tMax) {
    ChartRow r;
    r.utc = utc;
    r.seconds = 60;
    r[Quantity::TEMP] = {static_cast<float>(tMin), static_cast<float>(t), static_cast<float>(tMax)};
    r[Quantity::RH] = Band::of(50.0);
    return r;
}

std::size_t nanCount(const std::vector<double>& v) {
    std::size_t n = 0;
    for (const double x : v) {
        n += std::isnan(x) ? 1 : 0;
    }
    return n;
}

TEST(ChartThinning, ThirtyDaysKeepSpikesAndBreakAtGaps) {
    const std::int64_t start = 1'700'000'040;
    std::vector<ChartRow> rows;
    for (std::int64_t m = 0; m < 30 * 1440; ++m) {
        if (m >= 20000 && m < 20300) {
            continue; // five hours without readings
        }
        rows.push_back(minute(start + m * 60, 10.0, 9.5, 10.5));
    }
    rows[5000][Quantity::TEMP].max = 35.0; // one minute's spike
    rows[9000][Quantity::RH] = Band{};     // a minute with the humidity unknown
    const TimeSpan view{start, start + 30 * 86400};
    const ChartSeries s = thinRows(rows, view, 1200);

    const auto& temp = s.max[quantityIndex(Quantity::TEMP)];
    EXPECT_LE(s.keys.size(), 1210u);
    EXPECT_DOUBLE_EQ(*std::max_element(temp.begin(), temp.end(),
                                       [](double a, double b) {
                                           return std::isnan(a) || (!std::isnan(b) && a < b);
                                       }),
                     35.0);
    // The five hours are one break in every series; the column mean is 10.
    EXPECT_EQ(nanCount(s.mean[quantityIndex(Quantity::TEMP)]), 1u);
    EXPECT_EQ(nanCount(s.mean[quantityIndex(Quantity::RH)]), 1u); // an unknown minute is no break
    EXPECT_DOUBLE_EQ(s.mean[quantityIndex(Quantity::TEMP)][10], 10.0);
    EXPECT_TRUE(std::all_of(s.mean[quantityIndex(Quantity::PRESS)].begin(),
                            s.mean[quantityIndex(Quantity::PRESS)].end(),
                            [](double v) { return std::isnan(v); }));
    EXPECT_NEAR(s.dewPoint[10], 0.0, 0.1); // 10 °C at 50 %
}

TEST(ChartThinning, ZoomedInDrawsEveryRowAndTheDirectionAsDots) {
    std::vector<ChartRow> rows;
    for (int i = 0; i < 10; ++i) {
        ChartRow r;
        r.utc = 1000 + i;
        r[Quantity::ORIENT] = Band::of(i < 5 ? 350.0 : 10.0);
        rows.push_back(r);
    }
    rows.push_back(rows.back());
    rows.back().utc = 1020; // ten seconds missing
    const ChartSeries s = thinRows(rows, {1000, 1060}, 1200);
    EXPECT_EQ(s.keys.size(), 12u); // eleven rows and the break before the last
    EXPECT_TRUE(std::isnan(s.keys[10]) == false && std::isnan(s.mean[0][10]));
    EXPECT_EQ(s.directions.size(), 11u);
}

TEST(ChartThinning, RowUnderTheCursor) {
    std::vector<ChartRow> rows{minute(0, 1, 1, 1), minute(60, 2, 2, 2), minute(600, 3, 3, 3)};
    struct Case {
        double t;
        int row;
    } const cases[] = {{-31, -1},  {-20, 0},  {30, 0},  {61, 1},
                       {119.9, 1}, {300, -1}, {590, 2}, {700, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(rowAt(rows, c.t), c.row) << c.t;
    }
}

TEST(ChartRange, ZoomPanAndLimits) {
    const TimeSpan day = spanOf(ChartRange::Day, 1'000'000);
    EXPECT_EQ(day, (TimeSpan{913'600, 1'000'000}));
    EXPECT_EQ(zoomed(day, 0.5, 1.0), (TimeSpan{956'800, 1'000'000}));
    EXPECT_EQ(panned(day, -0.5), (TimeSpan{870'400, 956'800}));
    EXPECT_EQ(zoomed({0, 120}, 0.001, 0.5).length(), ChartLimits::kMinSpan);
    EXPECT_EQ(panned({0, 120}, -3.0), (TimeSpan{0, 120})); // not before 1970
    // Reversed, ten years, a century and more: sound spans.
    EXPECT_EQ(sanitized({500, 100}), (TimeSpan{100, 500}));
    EXPECT_EQ(sanitized({-5, 1}).from, 0);
    const TimeSpan decade = sanitized({0, 10LL * 365 * 86400});
    EXPECT_EQ(resolutionFor(decade), Resolution::Day);
    EXPECT_EQ(sanitized({0, ChartLimits::kLatest * 2}).length(), ChartLimits::kMaxSpan);
    EXPECT_EQ(resolutionFor(spanOf(ChartRange::LastHour, 1'000'000)), Resolution::Raw);
    EXPECT_EQ(resolutionFor(spanOf(ChartRange::Year, 100'000'000)), Resolution::Minute);
    EXPECT_TRUE(coveredBy(panned(day, 0.2), loadSpanFor(day), Resolution::Minute));
    EXPECT_FALSE(coveredBy(panned(day, 0.7), loadSpanFor(day), Resolution::Minute));
}

} // namespace
