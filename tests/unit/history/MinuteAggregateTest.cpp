#include "history/MinuteAggregate.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

constexpr std::int64_t kMinute = 1'780'000'020; // a minute's first second
static_assert(kMinute % 60 == 0);

// One second of readings, in tenths: temperature, speed and direction.
struct Second {
    int at; // seconds after the minute's start
    StoredValue temp;
    StoredValue speed;
    StoredValue dir;
};

struct MinuteCase {
    const char* name;
    std::vector<Second> seconds;
    std::map<Quantity, QuantityAggregate> expected; // the others have no value
    StoredValue directionAtMaxSpeed;
    bool row = true;
};

void PrintTo(const MinuteCase& c, std::ostream* os) {
    *os << c.name;
}

class MinuteAggregation : public ::testing::TestWithParam<MinuteCase> {};

TEST_P(MinuteAggregation, KeepsCountExtremesAndMeans) {
    const MinuteCase& c = GetParam();
    std::vector<RawRow> seconds;
    for (const Second& s : c.seconds) {
        RawRow r;
        r.utc = kMinute + s.at;
        r.offset = 7200;
        r.values[slot(Quantity::TEMP)] = s.temp;
        r.values[slot(Quantity::SPEED)] = s.speed;
        r.values[slot(Quantity::ORIENT)] = s.dir;
        seconds.push_back(r);
    }
    const std::optional<MinuteRow> row = aggregateMinute(kMinute, seconds, RowSource::Live);
    ASSERT_EQ(row.has_value(), c.row);
    if (!row) {
        return;
    }
    EXPECT_EQ(row->utc, kMinute);
    EXPECT_EQ(row->offset, 7200);
    for (const Quantity q : kAllQuantities) {
        const auto it = c.expected.find(q);
        EXPECT_EQ(row->quantities[slot(q)],
                  it == c.expected.end() ? QuantityAggregate{} : it->second)
            << quantityName(q);
    }
    EXPECT_EQ(row->directionAtMaxSpeed, c.directionAtMaxSpeed);
}

const StoredValue none;

INSTANTIATE_TEST_SUITE_P(
    Table, MinuteAggregation,
    ::testing::Values(
        MinuteCase{"MeanAndExtremes",
                   {{0, 210, none, none}, {1, 215, none, none}, {2, 224, none, none}},
                   {{Quantity::TEMP, {3, 210, 216, 224}}},
                   none},
        // -0.15 °C rounds away from zero, as the recording file's "%.1f" would.
        MinuteCase{"NegativeMeanRoundsAwayFromZero",
                   {{0, -1, none, none}, {1, -2, none, none}},
                   {{Quantity::TEMP, {2, -2, -2, -1}}},
                   none},
        // 350° and 10° average to north, never south; the arc runs from 350° to 10°.
        MinuteCase{"DirectionIsAVectorMean",
                   {{0, none, 30, 3500}, {1, none, 30, 100}},
                   {{Quantity::SPEED, {2, 30, 30, 30}}, {Quantity::ORIENT, {2, 3500, 0, 100}}},
                   3500},
        MinuteCase{"WestAndNorthGiveNorthWest",
                   {{0, none, 20, 2700}, {1, none, 20, 0}},
                   {{Quantity::SPEED, {2, 20, 20, 20}}, {Quantity::ORIENT, {2, 2700, 3150, 0}}},
                   2700},
        MinuteCase{"OppositeDirectionsHaveNoMean",
                   {{0, none, 20, 900}, {1, none, 20, 2700}},
                   {{Quantity::SPEED, {2, 20, 20, 20}}, {Quantity::ORIENT, {2, 900, none, 2700}}},
                   900},
        MinuteCase{"CalmMinuteHasNoDirection",
                   {{0, none, 0, 1800}, {1, none, 0, 1800}},
                   {{Quantity::SPEED, {2, 0, 0, 0}}},
                   none},
        MinuteCase{
            "CalmSecondsAreLeftOutAndTheStrongestGivesItsDirection",
            {{0, none, 0, 900}, {1, none, 80, 2000}, {2, none, 80, 2100}, {3, none, 30, 1800}},
            {{Quantity::SPEED, {4, 0, 48, 80}}, {Quantity::ORIENT, {3, 1800, 1967, 2100}}},
            2000},
        // An absent or faulty sensor's seconds are no zeros.
        MinuteCase{"UnknownValuesAreNotCounted",
                   {{0, 100, none, none}, {1, none, none, none}, {2, none, none, none}},
                   {{Quantity::TEMP, {1, 100, 100, 100}}},
                   none},
        // A lost link leaves fewer seconds; a second of the next minute is not this one's.
        MinuteCase{"GapsLeaveFewerSeconds",
                   {{0, 100, none, none},
                    {1, 100, none, none},
                    {58, 120, none, none},
                    {59, 120, none, none},
                    {60, 500, none, none}},
                   {{Quantity::TEMP, {4, 100, 110, 120}}},
                   none},
        MinuteCase{"NoSecondNoRow", {{60, 100, none, none}}, {}, none, false}),
    [](const ::testing::TestParamInfo<MinuteCase>& info) { return std::string(info.param.name); });

} // namespace
