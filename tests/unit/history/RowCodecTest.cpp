#include "history/RowCodec.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// What goes into the file comes back, unknown values included; bytes this
// code did not write are refused, never misread.
TEST(RowCodec, ValuesComeBackAndForeignBytesAreRefused) {
    const std::array<StoredValue, 5> values{-410, std::nullopt, 10132, 0, kMax};
    EXPECT_EQ(RowCodec::decodeValues(RowCodec::encodeValues(values)), values);
    EXPECT_EQ(RowCodec::decodeValues(RowCodec::encodeValues({})), (std::array<StoredValue, 5>{}));

    MinuteRow row;
    row.quantities = {QuantityAggregate{60, kMin, -1, 1},
                      {0, std::nullopt, std::nullopt, std::nullopt},
                      {3, 9999, 10000, 10001},
                      {1000, 0, 0, 0},
                      {2, 3500, std::nullopt, 100}};
    row.directionAtMaxSpeed = 3599;
    MinuteRow back;
    ASSERT_TRUE(RowCodec::decodeMinute(RowCodec::encodeMinute(row), back));
    EXPECT_EQ(back.quantities, row.quantities);
    EXPECT_EQ(back.directionAtMaxSpeed, row.directionAtMaxSpeed);

    std::string cut = RowCodec::encodeValues(values);
    cut.pop_back();
    for (const std::string& foreign : {std::string(), std::string("\x02\x01\x02", 3), cut,
                                       RowCodec::encodeValues(values) + '\0'}) {
        EXPECT_EQ(RowCodec::decodeValues(foreign), std::nullopt);
        EXPECT_FALSE(RowCodec::decodeMinute(foreign, back));
    }
}

} // namespace
