#include "protocol/PanelData.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace {

bool parse(PanelData& d, const std::string& line, PollState state) {
    return d.parseReply(reinterpret_cast<const std::uint8_t*>(line.data()),
                        static_cast<int>(line.size()), state);
}

struct ReplyCase {
    const char* name;
    std::string line;
    PollState state;
    bool valid;
    std::function<void(const PanelData&)> check;
};

void PrintTo(const ReplyCase& c, std::ostream* os) {
    *os << c.name;
}

class Replies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(Replies, DecodeAsDocumented) {
    PanelData d;
    EXPECT_EQ(parse(d, GetParam().line, GetParam().state), GetParam().valid);
    EXPECT_EQ(d.lastLineLength, static_cast<int>(GetParam().line.size()));
    EXPECT_EQ(std::memcmp(d.lastLine.data(), GetParam().line.data(), GetParam().line.size()), 0);
    GetParam().check(d);
}

std::vector<double> fieldsOf(const PanelData& d) {
    return {double(d.eraseAck),
            double(d.resetAck),
            double(d.memoryByteValid),
            double(d.memoryByte),
            double(d.clockValid),
            double(d.clock.year),
            double(d.clock.month),
            double(d.clock.dayOfWeek),
            double(d.clock.day),
            double(d.clock.hour),
            double(d.clock.minute),
            double(d.clock.second),
            double(d.clock.millisecond),
            double(d.dateSetAck),
            double(d.powerSavingAck),
            double(d.recordInterval),
            double(d.serialCh2),
            double(d.serialCh1),
            double(d.powerSavingFlags),
            d.firmwareVersion,
            d.temperature,
            d.pressure,
            d.humidity,
            d.windSpeed,
            double(d.windDirection),
            double(d.ch1CalError),
            double(d.temperatureError),
            double(d.humidityError),
            double(d.memoryFull),
            double(d.ch2CalError),
            double(d.speedError),
            double(d.directionError),
            double(d.cpuTestError),
            double(d.lowBattery),
            double(d.eepromErrorA),
            double(d.eepromErrorB),
            double(d.clockError),
            double(d.modelTq233),
            double(d.modelTq232),
            double(d.modelTq231),
            double(d.modelTq264),
            double(d.pressureError),
            double(d.ch1MeasError),
            double(d.ch2MeasError),
            double(d.ch1Present),
            double(d.ch2Present)};
}

// Nothing but the last-line copy differs from a fresh record.
void unchanged(const PanelData& d) {
    EXPECT_EQ(fieldsOf(d), fieldsOf(PanelData{}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Replies,
    ::testing::Values(ReplyCase{"StatusBothChannels", "xK00000005\r\n", READ_STATUS, true,
                                [](const PanelData& d) {
                                    EXPECT_EQ(d.ch1Present, 1);
                                    EXPECT_EQ(d.ch2Present, 1);
                                    EXPECT_EQ(d.modelTq232, 1);
                                    EXPECT_EQ(d.modelTq264, 1);
                                    EXPECT_EQ(d.modelTq231 + d.modelTq233 + d.lowBattery +
                                                  d.ch1MeasError,
                                              0);
                                }},
                      ReplyCase{"StatusNoChannelLowBattery", "xK88004000\r\n", READ_STATUS, true,
                                [](const PanelData& d) {
                                    EXPECT_EQ(d.ch1Present, 0);
                                    EXPECT_EQ(d.ch2Present, 0);
                                    EXPECT_EQ(d.lowBattery, 1);
                                    EXPECT_EQ(d.cpuTestError + d.modelTq264, 0);
                                }},
                      // Every listed bit set; the unlisted ones are clear.
                      ReplyCase{"StatusAllFlags", "\x02K\?\?\?\?\?\?\?\?\r\n", READ_STATUS, true,
                                [](const PanelData& d) {
                                    const int flags[] = {
                                        d.ch2MeasError,   d.ch1MeasError,     d.pressureError,
                                        d.ch1CalError,    d.temperatureError, d.humidityError,
                                        d.memoryFull,     d.ch2CalError,      d.speedError,
                                        d.directionError, d.cpuTestError,     d.lowBattery,
                                        d.eepromErrorA,   d.eepromErrorB,     d.clockError,
                                        d.modelTq233,     d.modelTq232,       d.modelTq231,
                                        d.modelTq264};
                                    for (const int f : flags) {
                                        EXPECT_EQ(f, 1);
                                    }
                                    EXPECT_EQ(d.ch1Present + d.ch2Present, 0);
                                }},
                      ReplyCase{"StatusUnlistedBitsCarryNothing", "xK55002378\r\n", READ_STATUS,
                                true,
                                [](const PanelData& d) {
                                    // 0x55: bits 6,4,2,0 of byte 1; 0x23: bits 5,1,0 of byte 3;
                                    // 0x78: bits 6-3 of byte 4.
                                    EXPECT_EQ(d.ch1Present + d.ch2Present, 2);
                                    EXPECT_EQ(d.ch1MeasError + d.ch2MeasError + d.cpuTestError +
                                                  d.lowBattery + d.eepromErrorA + d.eepromErrorB +
                                                  d.clockError + d.modelTq231 + d.modelTq232 +
                                                  d.modelTq233 + d.modelTq264,
                                              0);
                                }},
                      ReplyCase{"StatusByteTwo", "xK00<:0080\r\n", READ_STATUS, true,
                                [](const PanelData& d) {
                                    // 0xCA: pressure, ch1 calibration, memory full, speed.
                                    EXPECT_EQ(d.pressureError, 1);
                                    EXPECT_EQ(d.ch1CalError, 1);
                                    EXPECT_EQ(d.memoryFull, 1);
                                    EXPECT_EQ(d.speedError, 1);
                                    EXPECT_EQ(d.temperatureError + d.humidityError + d.ch2CalError +
                                                  d.directionError,
                                              0);
                                    EXPECT_EQ(d.modelTq233, 1);
                                }},
                      ReplyCase{"Temperature", "xT0235\r\n", READ_TEMPERATURE, true,
                                [](const PanelData& d) { EXPECT_DOUBLE_EQ(d.temperature, 23.5); }},
                      ReplyCase{"NegativeTemperature", "xT-0053\r\n", READ_TEMPERATURE, true,
                                [](const PanelData& d) { EXPECT_DOUBLE_EQ(d.temperature, -5.3); }},
                      ReplyCase{"SignIsNotExamined", "xT+0100\r\n", READ_TEMPERATURE, true,
                                [](const PanelData& d) { EXPECT_DOUBLE_EQ(d.temperature, -10.0); }},
                      ReplyCase{"Pressure", "xP10132\r\n", READ_PRESSURE, true,
                                [](const PanelData& d) { EXPECT_DOUBLE_EQ(d.pressure, 1013.2); }},
                      ReplyCase{"Direction", "xA270\r\n", READ_DIRECTION, true,
                                [](const PanelData& d) { EXPECT_EQ(d.windDirection, 270); }},
                      ReplyCase{"Speed", "xV0123\r\n", READ_SPEED, true,
                                [](const PanelData& d) { EXPECT_DOUBLE_EQ(d.windSpeed, 12.3); }},
                      ReplyCase{"Humidity", "xH0999\r\n", READ_HUMIDITY, true,
                                [](const PanelData& d) { EXPECT_DOUBLE_EQ(d.humidity, 99.9); }},
                      ReplyCase{
                          "Version", "xF<9\r\n", READ_VERSION, true,
                          [](const PanelData& d) { EXPECT_DOUBLE_EQ(d.firmwareVersion, 2.01); }},
                      ReplyCase{"PowerSaving", "xI?>\r\n", READ_POWER_SAVING, true,
                                [](const PanelData& d) { EXPECT_EQ(d.powerSavingFlags, 0xFE); }},
                      ReplyCase{"SerialCh2", "xL01:?\r\n", READ_SERIAL_CH2, true,
                                [](const PanelData& d) { EXPECT_EQ(d.serialCh2, 431); }},
                      ReplyCase{"SerialCh1", "xN????\r\n", READ_SERIAL_CH1, true,
                                [](const PanelData& d) { EXPECT_EQ(d.serialCh1, 65535); }},
                      ReplyCase{"Interval", "xQ>?\r\n", READ_INTERVAL, true,
                                [](const PanelData& d) { EXPECT_EQ(d.recordInterval, 239); }},
                      ReplyCase{"Clock", "xO30140753\r\n", READ_CLOCK, true,
                                [](const PanelData& d) {
                                    EXPECT_EQ(d.clock.minute, 30);
                                    EXPECT_EQ(d.clock.hour, 14);
                                    EXPECT_EQ(d.clock.day, 7);
                                    EXPECT_EQ(d.clock.month, 3);
                                    EXPECT_EQ(d.clock.year + d.clock.second + d.clock.dayOfWeek, 0);
                                    EXPECT_EQ(d.clockValid, 1);
                                }},
                      ReplyCase{"ClockMonthTen", "xO000101x:\r\n", READ_CLOCK, true,
                                [](const PanelData& d) { EXPECT_EQ(d.clock.month, 10); }},
                      ReplyCase{"ClockMonthEleven", "xO000101x;\r\n", READ_CLOCK, true,
                                [](const PanelData& d) { EXPECT_EQ(d.clock.month, 11); }},
                      ReplyCase{"ClockMonthTwelve", "xO000101x<\r\n", READ_CLOCK, true,
                                [](const PanelData& d) { EXPECT_EQ(d.clock.month, 12); }},
                      ReplyCase{"MemoryByte", "xER>?\r\n", READ_MEMORY, true,
                                [](const PanelData& d) {
                                    EXPECT_EQ(d.memoryByte, 0xEF);
                                    EXPECT_EQ(d.memoryByteValid, 1);
                                }},
                      ReplyCase{"SetTime", "xB\r\n", SET_TIME, true, unchanged},
                      ReplyCase{"SetDate", "xC\r\n", SET_DATE, true,
                                [](const PanelData& d) { EXPECT_EQ(d.dateSetAck, 1); }},
                      ReplyCase{"WriteMemory", "xEW\r\n", WRITE_MEMORY, true, unchanged},
                      ReplyCase{"Reset", "xG\r\n", RESET_PANEL, true,
                                [](const PanelData& d) { EXPECT_EQ(d.resetAck, 1); }},
                      ReplyCase{"Erase", "xES\r\n", ERASE_MEMORY, true,
                                [](const PanelData& d) { EXPECT_EQ(d.eraseAck, 1); }},
                      // "J" is acknowledged but never valid.
                      ReplyCase{"PowerSavingWrite", "xJ\r\n", WRITE_POWER_SAVING, false,
                                [](const PanelData& d) { EXPECT_EQ(d.powerSavingAck, 1); }},
                      ReplyCase{"PowerSavingWriteTooLong", "xJ0\r\n", WRITE_POWER_SAVING, false,
                                unchanged},
                      // Non-digits are not rejected: they decode by their byte values.
                      ReplyCase{"NonDigitsDecodeByValue", "xA0:0\r\n", READ_DIRECTION, true,
                                [](const PanelData& d) { EXPECT_EQ(d.windDirection, 100); }},
                      // Rejections change nothing but the last-line copy.
                      ReplyCase{"StatusElevenBytes", "xK0000005\r\n", READ_STATUS, false,
                                unchanged},
                      ReplyCase{"StatusThirteenBytes", "xK000000050\r\n", READ_STATUS, false,
                                unchanged},
                      ReplyCase{"WrongLetter", "xA090\r\n", READ_SPEED, false, unchanged},
                      ReplyCase{"EraseReplyToMemoryRead", "xES\r\n", READ_MEMORY, false, unchanged},
                      ReplyCase{"MemoryReadReplyToErase", "xER00\r\n", ERASE_MEMORY, false,
                                unchanged},
                      ReplyCase{"WriteReplyToRead", "xEW\r\n", READ_MEMORY, false, unchanged},
                      ReplyCase{"TemperatureSevenBytes", "xT023\r\n", READ_TEMPERATURE, false,
                                unchanged},
                      ReplyCase{"TemperatureTenBytes", "xT-00530\r\n", READ_TEMPERATURE, false,
                                unchanged},
                      ReplyCase{"LoneCrLf", "\r\n", READ_STATUS, false, unchanged},
                      ReplyCase{"OneLetterForMemory", "xE", READ_MEMORY, false, unchanged},
                      ReplyCase{"Empty", "", READ_STATUS, false, unchanged},
                      ReplyCase{"NoState", "xK00000005\r\n", NO_STATE, false, unchanged},
                      ReplyCase{"StateOutOfRange", "xK00000005\r\n", static_cast<PollState>(42),
                                false, unchanged}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PanelData, RejectedReplyKeepsEarlierValues) {
    PanelData d;
    ASSERT_TRUE(parse(d, "xK00000005\r\n", READ_STATUS));
    ASSERT_TRUE(parse(d, "xT0235\r\n", READ_TEMPERATURE));
    EXPECT_FALSE(parse(d, "xK0000005\r\n", READ_STATUS));
    EXPECT_FALSE(parse(d, "xT-9\r\n", READ_TEMPERATURE));
    EXPECT_EQ(d.ch1Present, 1);
    EXPECT_EQ(d.modelTq232, 1);
    EXPECT_DOUBLE_EQ(d.temperature, 23.5);
    EXPECT_EQ(d.lastLineLength, 6);
}

TEST(PanelData, AnyLengthOrBufferIsSafe) {
    PanelData d;
    std::vector<std::uint8_t> big(200, 'K');
    struct Case {
        const std::uint8_t* line;
        int length;
        int copied;
    };
    const Case cases[] = {{nullptr, 0, 0},          {nullptr, 12, 0},     {big.data(), -1, 0},
                          {big.data(), -100000, 0}, {big.data(), 90, 89}, {big.data(), 200, 89},
                          {big.data(), 89, 89},     {big.data(), 1, 1}};
    for (const Case& c : cases) {
        for (int s = -1; s <= kLastPollState + 1; ++s) {
            EXPECT_FALSE(d.parseReply(c.line, c.length, static_cast<PollState>(s)));
            EXPECT_EQ(d.lastLineLength, c.copied);
        }
    }
    // Parsing the record's own copy is allowed too.
    ASSERT_TRUE(parse(d, "xA123\r\n", READ_DIRECTION));
    EXPECT_TRUE(d.parseReply(d.lastLine.data(), d.lastLineLength, READ_DIRECTION));
    EXPECT_EQ(d.windDirection, 123);
}

struct PredicateCase {
    const char* status;
    bool linkUp;
    std::array<bool, 5> available; // TEMP, RH, PRESS, SPEED, ORIENT
    std::array<bool, 5> faulty;
};

class Predicates : public ::testing::TestWithParam<PredicateCase> {};

TEST_P(Predicates, FollowTheSensorsAndTheLink) {
    PanelData d;
    ASSERT_TRUE(parse(d, std::string("xK") + GetParam().status + "\r\n", READ_STATUS));
    for (const Quantity q : kAllQuantities) {
        const auto i = static_cast<std::size_t>(quantityIndex(q));
        SCOPED_TRACE(std::string(quantityName(q)));
        EXPECT_EQ(d.isAvailable(q, GetParam().linkUp), GetParam().available[i]);
        EXPECT_EQ(d.isFaulty(q), GetParam().faulty[i]);
    }
}

constexpr std::array<bool, 5> kNone{false, false, false, false, false};
constexpr std::array<bool, 5> kAll{true, true, true, true, true};

INSTANTIATE_TEST_SUITE_P(
    Table, Predicates,
    ::testing::Values(PredicateCase{"00000005", true, kAll, kNone},
                      PredicateCase{"00000005", false, kNone, kNone},
                      PredicateCase{"00000002", true, {true, true, false, false, false}, kNone},
                      PredicateCase{"00000080", true, {false, false, true, false, false}, kNone},
                      PredicateCase{"00000000", true, kNone, kNone}, // channel 1 without a model
                      PredicateCase{"08000001", true, {false, false, false, true, true}, kNone},
                      PredicateCase{"8000000?", true, {true, true, true, false, false}, kNone},
                      PredicateCase{"20000005", true, kAll, {false, false, false, true, true}},
                      PredicateCase{"02000005", true, kAll, {true, true, true, false, false}},
                      PredicateCase{"00400005", true, kAll, {true, true, true, false, false}},
                      PredicateCase{"00040005", true, kAll, {false, false, false, true, true}},
                      PredicateCase{"00200005", true, kAll, {true, false, false, false, false}},
                      PredicateCase{"00100005", true, kAll, {false, true, false, false, false}},
                      PredicateCase{"00800005", true, kAll, {false, false, true, false, false}},
                      PredicateCase{"00020005", true, kAll, {false, false, false, true, false}},
                      PredicateCase{"00010005", true, kAll, {false, false, false, false, true}},
                      PredicateCase{"88??0005", false, kNone, kAll}));

TEST(PanelData, ValueOfEachQuantity) {
    PanelData d;
    d.temperature = -1.5;
    d.humidity = 40.0;
    d.pressure = 1000.1;
    d.windSpeed = 3.5;
    d.windDirection = 180;
    EXPECT_DOUBLE_EQ(d.value(Quantity::TEMP), -1.5);
    EXPECT_DOUBLE_EQ(d.value(Quantity::RH), 40.0);
    EXPECT_DOUBLE_EQ(d.value(Quantity::PRESS), 1000.1);
    EXPECT_DOUBLE_EQ(d.value(Quantity::SPEED), 3.5);
    EXPECT_DOUBLE_EQ(d.value(Quantity::ORIENT), 180.0);
}

} // namespace
