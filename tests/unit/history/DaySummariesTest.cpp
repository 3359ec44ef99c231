#include "history/DaySummaries.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t kTemp = 0, kRh = 1, kSpeed = 3, kDir = 4;

// A local day (UTC+1) of minutes without 10:00-11:00, between minutes of
// the days around it. Before noon the minutes have 60 seconds at 4.0 °C from
// 350°, after it 30 seconds at 7.0 °C from 10°; the lowest value comes at
// 05:00, the highest at 15:00 and again at 16:40, the strongest gust at 21:40.
std::vector<MinuteRow> generatedDay(std::int32_t day, std::int32_t offset) {
    const std::int64_t midnight = std::int64_t{day} * 86400 - offset;
    std::vector<MinuteRow> minutes;
    for (int i = -5; i < 1445; ++i) {
        if (i >= 600 && i < 660) {
            continue;
        }
        const bool inDay = i >= 0 && i < 1440;
        const bool morning = i < 720;
        MinuteRow m;
        m.utc = midnight + i * 60;
        m.offset = offset;
        const int count = morning ? 60 : 30;
        const int mean = inDay ? (morning ? 40 : 70) : 0;
        m.quantities[kTemp] = {count,
                               i == 300 ? -20
                               : inDay  ? mean - 5
                                        : -999,
                               mean,
                               i == 900 || i == 1000 ? 250
                               : inDay               ? mean + 5
                                                     : 999};
        m.quantities[kSpeed] = {count, 10, 20, i == 1300 ? 150 : inDay ? 50 : 500};
        m.quantities[kDir] = {count, {}, morning ? 3500 : 100, {}};
        m.directionAtMaxSpeed = i == 1300 ? 2700 : 900;
        minutes.push_back(m);
    }
    return minutes;
}

TEST(DaySummaries, ExtremesAtTheirMinutesMeansBySecondsAndTheVectorMeanDirection) {
    constexpr std::int32_t day = 20'600;
    const std::int64_t midnight = std::int64_t{day} * 86400 - 3600;
    const auto minutes = generatedDay(day, 3600);
    const std::optional<DaySummary> s = summarizeDay(day, minutes);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->day, day);
    const QuantityDay& t = s->quantities[kTemp];
    EXPECT_EQ(t.count, 660 * 60 + 720 * 30);
    EXPECT_EQ(t.min, -20);
    EXPECT_EQ(t.minUtc, midnight + 300 * 60);
    EXPECT_EQ(t.max, 250);
    EXPECT_EQ(t.maxUtc, midnight + 900 * 60) << "the first of equal highest values";
    EXPECT_EQ(t.mean, 51) << "weighted by seconds, not by minutes (56)";
    EXPECT_EQ(s->quantities[kSpeed].max, 150);
    EXPECT_EQ(s->directionAtMaxSpeed, 2700);
    EXPECT_EQ(s->quantities[kDir].mean, 3570) << "350° weighs more than 10°";
    EXPECT_EQ(s->quantities[kRh].count, 0);
    EXPECT_FALSE(s->quantities[kRh].mean);

    EXPECT_FALSE(summarizeDay(day + 2, minutes)) << "no minute of that day";
}

} // namespace
