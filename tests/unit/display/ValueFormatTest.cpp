#include "display/ValueFormat.h"

#include <clocale>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

struct FormatCase {
    int source;
    int display;
    bool showUnit;
    double value;
    std::string text;
    bool raisedTwo;
};

class FormatTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTable, ShowsTheReadingAsItsKindSays) {
    const FormatCase& c = GetParam();
    const FormattedValue shown =
        formatDisplayValue(convertForDisplay(c.value, c.source, c.display), c.display, c.showUnit);
    EXPECT_EQ(shown.text, c.text);
    EXPECT_EQ(shown.raisedTwo, c.raisedTwo);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, FormatTable,
    ::testing::Values(
        // Temperature: truncated toward zero to tenths, exact for whole tenths.
        FormatCase{3, 3, true, 21.37, "21.3 °C", false},
        FormatCase{3, 3, true, -5.37, "-5.3 °C", false},
        FormatCase{3, 3, true, 0.0, "0.0 °C", false},
        FormatCase{3, 3, true, 20.0, "20.0 °C", false},
        FormatCase{3, 3, true, 21.4, "21.4 °C", false},
        FormatCase{3, 3, true, 0.3, "0.3 °C", false},
        FormatCase{3, 3, true, -0.7, "-0.7 °C", false},
        FormatCase{3, 3, true, 21.99, "21.9 °C", false},
        FormatCase{3, 3, true, -0.05, "0.0 °C", false},
        FormatCase{3, 3, true, 214.0 / 10.0, "21.4 °C", false},
        // Without the unit the temperature is rounded like every other kind.
        FormatCase{3, 3, false, 21.37, "21.4", false},
        FormatCase{4, 4, true, 270.0, "270 °", false}, FormatCase{4, 4, false, 270.0, "270", false},
        FormatCase{5, 5, true, 1013.2, "1013.2 hPa", false},
        FormatCase{5, 5, false, 1013.2, "1013.2", false},
        FormatCase{6, 6, true, 3.4, "3.4 m/s", false}, FormatCase{6, 6, false, 3.4, "3.4", false},
        FormatCase{7, 7, true, 45.3, "45.3 %", false}, FormatCase{7, 7, false, 45.3, "45.3", false},
        FormatCase{8, 8, true, 412.0, "412 ppm", false},
        FormatCase{8, 8, false, 412.0, "412", false},
        FormatCase{2, 2, true, 12.345, "12.35 kLx", false},
        FormatCase{2, 2, false, 12.345, "12.35", false},
        FormatCase{1, 1, true, 100.0, "100.0 W/m", true},
        FormatCase{1, 1, false, 100.0, "100.0", false},
        // The 1.47 conversions between irradiance and illuminance.
        FormatCase{2, 1, true, 100.0, "147.0 W/m", true},
        FormatCase{1, 2, true, 147.0, "100.00 kLx", false},
        // Unknown kinds show nothing.
        FormatCase{0, 0, true, 21.0, "", false}, FormatCase{9, 9, true, 21.0, "", false},
        FormatCase{3, -1, true, 21.0, "", false},
        // A value that is not a number is not a reading.
        FormatCase{5, 5, true, std::numeric_limits<double>::quiet_NaN(), "???", false},
        FormatCase{6, 6, true, std::numeric_limits<double>::infinity(), "???", false}));

TEST(ValueFormat, MeasureTextCarriesTheRaisedTwo) {
    EXPECT_EQ(formatDisplayValue(147.0, 1, true).measureText(), "147.0 W/m2");
    EXPECT_EQ(formatDisplayValue(3.4, 6, true).measureText(), "3.4 m/s");
}

TEST(ValueFormat, ConversionIsIdentityForEqualAndUnrelatedKinds) {
    EXPECT_DOUBLE_EQ(convertForDisplay(21.37, 3, 3), 21.37);
    EXPECT_DOUBLE_EQ(convertForDisplay(5.0, 6, 1), 5.0);
    EXPECT_DOUBLE_EQ(convertForDisplay(5.0, 1, 1), 5.0);
}

TEST(ValueFormat, TruncationIsExactForEveryWholeTenthOfThePanelRange) {
    // Every temperature the panel can send is a whole tenth between -50 and
    // +100 °C; none may lose its last digit to binary representation.
    for (int tenths = -500; tenths <= 1000; ++tenths) {
        const double value = tenths / 10.0;
        EXPECT_EQ(truncateToTenths(value) * 10.0, static_cast<double>(tenths)) << value;
    }
}

TEST(ValueFormat, DecimalPointDoesNotFollowTheProcessLocale) {
    // The Qt shell adopts the user's locale; a Polish one uses a comma.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    // POSIX names first, then the Windows C library's.
    if (std::setlocale(LC_NUMERIC, "pl_PL.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "Polish_Poland.1250") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    EXPECT_EQ(formatDisplayValue(1013.2, 5, true).text, "1013.2 hPa");
    EXPECT_EQ(formatDisplayValue(21.4, 3, true).text, "21.4 °C");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
