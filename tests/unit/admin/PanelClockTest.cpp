#include "admin/PanelClock.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

DateTimeRecord panelClock(int month, int day, int hour, int minute) {
    DateTimeRecord r;
    r.month = static_cast<std::uint16_t>(month);
    r.day = static_cast<std::uint16_t>(day);
    r.hour = static_cast<std::uint16_t>(hour);
    r.minute = static_cast<std::uint16_t>(minute);
    return r;
}

// The computer: Wednesday 9 December 2026, 02:34:58.123.
const DateTimeRecord kNow{2026, 12, 3, 9, 2, 34, 58, 123};

struct ClockCase {
    const char* name;
    DateTimeRecord computer;
    DateTimeRecord panel;
    std::optional<DateTimeRecord> shown;
};

class PanelClockShown : public ::testing::TestWithParam<ClockCase> {};

TEST_P(PanelClockShown, TakesThePanelsFieldsIntoTheComputersYear) {
    EXPECT_EQ(panelClockShown(GetParam().computer, GetParam().panel), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Clock, PanelClockShown,
    ::testing::Values(
        // Month, day, hour and minute from the panel, second 0; year, day of
        // the week and milliseconds the computer's.
        ClockCase{"March14At0905", kNow, panelClock(3, 14, 9, 5),
                  DateTimeRecord{2026, 3, 3, 14, 9, 5, 0, 123}},
        ClockCase{"EndOfTheYear", kNow, panelClock(12, 31, 23, 59),
                  DateTimeRecord{2026, 12, 3, 31, 23, 59, 0, 123}},
        ClockCase{"Midnight", kNow, panelClock(1, 1, 0, 0),
                  DateTimeRecord{2026, 1, 3, 1, 0, 0, 0, 123}},
        ClockCase{"February29InALeapYear", DateTimeRecord{2028, 1, 6, 1, 8, 0, 0, 0},
                  panelClock(2, 29, 12, 0), DateTimeRecord{2028, 2, 6, 29, 12, 0, 0, 0}},
        ClockCase{"LeapCentury2000", DateTimeRecord{2000, 5, 1, 1, 8, 0, 0, 0},
                  panelClock(2, 29, 12, 0), DateTimeRecord{2000, 2, 1, 29, 12, 0, 0, 0}},
        // What the controls would refuse leaves them as they are.
        ClockCase{"February29OutsideALeapYear", kNow, panelClock(2, 29, 12, 0), std::nullopt},
        ClockCase{"February29In2100", DateTimeRecord{2100, 1, 5, 1, 8, 0, 0, 0},
                  panelClock(2, 29, 12, 0), std::nullopt},
        ClockCase{"February30", DateTimeRecord{2028, 1, 6, 1, 8, 0, 0, 0}, panelClock(2, 30, 12, 0),
                  std::nullopt},
        ClockCase{"April31", kNow, panelClock(4, 31, 12, 0), std::nullopt},
        ClockCase{"Month13", kNow, panelClock(13, 1, 12, 0), std::nullopt},
        ClockCase{"Month0", kNow, panelClock(0, 1, 12, 0), std::nullopt},
        ClockCase{"Day32", kNow, panelClock(1, 32, 12, 0), std::nullopt},
        ClockCase{"Day0", kNow, panelClock(1, 0, 12, 0), std::nullopt},
        ClockCase{"Hour24", kNow, panelClock(6, 1, 24, 0), std::nullopt},
        ClockCase{"Hour25", kNow, panelClock(6, 1, 25, 0), std::nullopt},
        ClockCase{"Minute60", kNow, panelClock(6, 1, 12, 60), std::nullopt},
        // Garbage digits decode below zero and wrap in the 16-bit fields.
        ClockCase{"GarbledFields", kNow, panelClock(-48, -528, 12, 0), std::nullopt}),
    [](const ::testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });

} // namespace
