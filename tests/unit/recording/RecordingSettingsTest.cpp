#include "recording/RecordingSettings.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace RS = RecordingSettings;

namespace {

// Radio buttons by their place in the dialog.
enum Layout { Full = 0, TempHumWind, PressWind, TempHumPress, TempHum, Press, Wind };

struct ByteCase {
    int byte;
    std::optional<int> layout;
    bool maxWind;
    bool windLayout;
};

class ConfigByteRead : public ::testing::TestWithParam<ByteCase> {};

TEST_P(ConfigByteRead, SelectsTheLayoutAndTheMaximumWindBox) {
    const ByteCase& c = GetParam();
    const RS::ConfigView view = RS::viewOfConfigByte(c.byte);
    EXPECT_EQ(view.layout, c.layout);
    EXPECT_EQ(view.maxWind, c.maxWind);
    EXPECT_EQ(view.windLayout, c.windLayout);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigByteRead,
    ::testing::Values(
        ByteCase{0x00, TempHumPress, false, false}, ByteCase{0x10, Full, false, false},
        ByteCase{0x20, Wind, false, true}, ByteCase{0x28, Wind, true, true},
        ByteCase{0x30, Press, false, false}, ByteCase{0x40, PressWind, false, true},
        ByteCase{0x48, PressWind, true, true}, ByteCase{0x50, TempHum, false, false},
        ByteCase{0x60, TempHumWind, false, true}, ByteCase{0x68, TempHumWind, true, true},
        // Any other byte selects nothing: the maximum-wind bit on a
        // layout without the option, stray low bits, codes above 6,
        // garbage from a malformed reply.
        ByteCase{0x18, std::nullopt, false, false}, ByteCase{0x08, std::nullopt, false, false},
        ByteCase{0x41, std::nullopt, false, false}, ByteCase{0x70, std::nullopt, false, false},
        ByteCase{0xFF, std::nullopt, false, false}, ByteCase{-3, std::nullopt, false, false},
        ByteCase{0x148, std::nullopt, false, false}));

struct ChoiceCase {
    std::optional<int> layout;
    bool windLayout;
    bool maxWindTicked;
    int byte;
};

class ConfigByteWritten : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ConfigByteWritten, IsTheLayoutPlusTheMaximumWindBit) {
    const ChoiceCase& c = GetParam();
    EXPECT_EQ(RS::configByteOf(c.layout, c.windLayout, c.maxWindTicked), c.byte);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigByteWritten,
    ::testing::Values(
        ChoiceCase{Full, false, false, 0x10}, ChoiceCase{TempHumWind, true, false, 0x60},
        ChoiceCase{TempHumWind, true, true, 0x68}, ChoiceCase{PressWind, true, true, 0x48},
        ChoiceCase{TempHumPress, false, false, 0x00}, ChoiceCase{TempHum, false, false, 0x50},
        ChoiceCase{Press, false, false, 0x30}, ChoiceCase{Wind, true, false, 0x20},
        ChoiceCase{Wind, true, true, 0x28},
        // A tick left from a wind layout counts only on one.
        ChoiceCase{Full, false, true, 0x10}, ChoiceCase{Press, false, true, 0x30},
        // Nothing selected writes layout 0.
        ChoiceCase{std::nullopt, false, false, 0x00}, ChoiceCase{std::nullopt, false, true, 0x00}));

struct FieldCase {
    std::string text;
    int minutes;
    bool inRange;
};

class IntervalField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(IntervalField, ReadsLeadingDigitsAndChecksTheRange) {
    const FieldCase& c = GetParam();
    const int minutes = RS::intervalFromField(c.text);
    EXPECT_EQ(minutes, c.minutes);
    EXPECT_EQ(RS::intervalInRange(minutes), c.inRange);
}

INSTANTIATE_TEST_SUITE_P(Field, IntervalField,
                         ::testing::Values(FieldCase{"15", 15, true}, FieldCase{"1", 1, true},
                                           FieldCase{"239", 239, true},
                                           FieldCase{"240", 240, false},
                                           FieldCase{"255", 255, false}, FieldCase{"0", 0, false},
                                           FieldCase{"", 0, false}, FieldCase{"0015", 15, true},
                                           FieldCase{"12min", 12, true}, FieldCase{"abc", 0, false},
                                           FieldCase{" 15", 0, false}, FieldCase{"-5", 0, false},
                                           // Very long numbers saturate, never overflow.
                                           FieldCase{"99999999999999999999", 1000000, false},
                                           FieldCase{"00000000000000000000042", 42, true}));

TEST(IntervalText, ShowsAPositiveIntervalAndClearsRecordingOtherwise) {
    EXPECT_EQ(RS::intervalText(15), std::optional<std::string>("15"));
    EXPECT_EQ(RS::intervalText(255), std::optional<std::string>("255"));
    EXPECT_EQ(RS::intervalText(0), std::nullopt);
    EXPECT_EQ(RS::intervalText(-800), std::nullopt);
}

} // namespace
