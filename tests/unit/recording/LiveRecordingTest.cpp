#include "settings/AppSettings.h"
#include "protocol/PanelData.h"
#include "recording/LogFileSettings.h"
#include "recording/RecordLine.h"
#include "recording/RecordLineBuilder.h"
#include "recording/RecordingRules.h"

#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>

namespace {

// 14 May 2003, 12:00:05.
constexpr DateTimeRecord kStamp{2003, 5, 3, 14, 12, 0, 5, 0};

// Both sensors attached (TQ-232 on channel 1, TQ-264 on channel 2), no errors.
PanelData bothSensors() {
    PanelData d;
    d.ch1Present = d.modelTq232 = d.ch2Present = d.modelTq264 = 1;
    d.temperature = 21.5;
    d.pressure = 1013.2;
    d.humidity = 45.0;
    d.windSpeed = 3.4;
    d.windDirection = 270;
    return d;
}

constexpr RecordColumns kAll{};
constexpr RecordColumns kTemperatureOnly{true, false, false, false, false};

struct LineCase {
    const char* name;
    RecordColumns columns;
    bool csv;
    void (*change)(PanelData&); // from both sensors; null: the link is lost
    std::string bytes;          // header (on a freshly opened file) and data line, Windows-1250
};

class RecordLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(RecordLines, AreTheExactBytesOfTheFile) {
    const LineCase& c = GetParam();
    PanelData panel = bothSensors();
    if (c.change != nullptr) {
        c.change(panel);
    }
    RecordLineBuilder builder;
    builder.fileOpened();
    EXPECT_EQ(builder.next(c.columns, c.csv, kStamp, panel, c.change != nullptr).bytes, c.bytes);
}

void unchanged(PanelData&) {}

// Captions in Windows-1250: ° 0xB0, ś 0x9C, ć 0xE6, ę 0xEA.
const std::string kTextHeaderAll = "Data i Godzina     \tTemperatura \xB0"
                                   "C\tCi\x9Cnienie hPa\tWilgotno\x9C\xE6 %\tPr\xEA"
                                   "dko\x9C\xE6 m/s\tKierunek \xB0\r\n";
const std::string kCsvHeaderAll = "Data i Godzina,Temperatura \xB0"
                                  "C,Ci\x9Cnienie hPa,Wilgotno\x9C\xE6 %,Pr\xEA"
                                  "dko\x9C\xE6 m/s,Kierunek \xB0\r\n";

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, RecordLines,
    ::testing::Values(
        // The file's order is temperature, pressure, humidity, speed, direction.
        LineCase{"TextAllFive", kAll, false, unchanged,
                 kTextHeaderAll + "2003.05.14 12:00:05\t21.5         \t1013.2       \t45.0        "
                                  "\t3.4        \t270          \r\n"},
        LineCase{"CsvAllFive", kAll, true, unchanged,
                 kCsvHeaderAll + "2003.05.14 12:00:05,21.5,1013.2,45.0,3.4,270\r\n"},
        LineCase{"TextLinkLost", kAll, false, nullptr,
                 kTextHeaderAll + "2003.05.14 12:00:05\t???           \t???         \t???      "
                                  "   \t???         \t???      \r\n"},
        // A TQ-231 measures no pressure; a channel error spoils its quantities.
        // Whether a quantity is known is the panel's test (PanelDataTest).
        LineCase{"CsvSomeColumnsSomeUnknown", RecordColumns{true, true, false, false, true}, true,
                 [](PanelData& d) {
                     d.modelTq232 = 0;
                     d.modelTq231 = d.ch2CalError = 1;
                 },
                 "Data i Godzina,Temperatura \xB0"
                 "C,Ci\x9Cnienie hPa,Kierunek \xB0\r\n"
                 "2003.05.14 12:00:05,21.5,???,???\r\n"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(RecordLine, ValuesRoundAsPrintfDoesToOneDecimal) {
    // Halves that are not exact in binary go by their real value; exact ones to even.
    const std::pair<double, const char*> cases[] = {
        {0.05, "0.1"},     {0.15, "0.1"},       {0.25, "0.2"},      {2.45, "2.5"},
        {-12.35, "-12.3"}, {1013.25, "1013.2"}, {999.96, "1000.0"}, {99999.95, "99999.9"},
        {1e-7, "0.0"},     {-1e-7, "-0.0"}};
    PanelData d = bothSensors();
    for (const auto& [value, text] : cases) {
        d.temperature = value;
        EXPECT_EQ(RecordLine::data(kTemperatureOnly, true, kStamp, d, true),
                  std::string("2003.05.14 12:00:05,") + text + "\r\n")
            << value;
    }
}

TEST(RecordLine, OutOfRangeReadingsAreWrittenWhole) {
    PanelData d = bothSensors();
    d.temperature = 1e300;
    d.windDirection = -2147483647 - 1;
    const std::string line =
        RecordLine::data(RecordColumns{true, false, false, false, true}, true, kStamp, d, true);
    EXPECT_EQ(line.size(), 20u + 301u + 2u + 1u + 11u + 2u);
    EXPECT_EQ(line.substr(20, 5), "10000");
    EXPECT_EQ(line.substr(line.size() - 14), ",-2147483648\r\n");
}

TEST(RecordLine, NoColumnsLeaveTheTimeStampAndSeparator) {
    const RecordColumns none{false, false, false, false, false};
    EXPECT_EQ(RecordLine::header(none, false), "Data i Godzina     \r\n");
    EXPECT_EQ(RecordLine::data(none, false, kStamp, bothSensors(), true),
              "2003.05.14 12:00:05\t\r\n");
}

TEST(RecordLineBuilder, WritesAHeaderAfterEveryOpeningAndEveryChangeOfColumns) {
    RecordLineBuilder b;
    auto hasHeader = [&](const RecordColumns& columns) {
        const RecordLineBuilder::Line line = b.next(columns, true, kStamp, bothSensors(), true);
        b.written(line);
        return line.bytes.rfind("Data i Godzina", 0) == 0;
    };
    EXPECT_TRUE(hasHeader(kAll)); // none written since construction
    EXPECT_FALSE(hasHeader(kAll));
    EXPECT_TRUE(hasHeader(kTemperatureOnly));
    EXPECT_FALSE(hasHeader(kTemperatureOnly));
    EXPECT_TRUE(hasHeader(kAll));
    b.fileOpened();
    EXPECT_TRUE(hasHeader(kAll));
    EXPECT_FALSE(hasHeader(kAll));

    // A line that never reached the file leaves the header due.
    b.fileOpened();
    EXPECT_TRUE(b.next(kAll, true, kStamp, bothSensors(), true).headerFor.has_value());
    EXPECT_TRUE(hasHeader(kAll));
    EXPECT_EQ(b.lastHeaderSet(), kAll);
}

TEST(IntervalPicker, ShowsTheStoredIntervalAsATimeOfDayAndReadsItBack) {
    using T = RecordingRules::TimeOfDay;
    const std::pair<int, T> exact[] = {{1, {0, 0, 1}}, {3661, {1, 1, 1}}, {86399, {23, 59, 59}}};
    for (const auto& [stored, shown] : exact) {
        EXPECT_EQ(RecordingRules::intervalToTime(stored), shown) << stored;
        EXPECT_EQ(RecordingRules::timeToInterval(shown), stored); // 00:00:00 is the dialog's test
    }
    // Damaged settings are brought into range.
    for (int stored : {0, -7}) {
        EXPECT_EQ(RecordingRules::intervalToTime(stored), (T{0, 0, 1})) << stored;
    }
    for (int stored : {86400, 2147483647}) {
        EXPECT_EQ(RecordingRules::intervalToTime(stored), (T{23, 59, 59})) << stored;
    }
}

TEST(OkInTheDialog, ReopensOnlyWhenTheFileOrItsLayoutChanges) {
    LogFileSettings on;
    on.enabled = true;
    on.fileName = "/dane/pomiary.txt";
    LogFileSettings off = on, otherName = on, otherCase = on, list = on;
    off.enabled = false;
    otherName.fileName = "/dane/inne.txt";
    otherCase.fileName = "/dane/Pomiary.txt"; // another file on most disks
    list.csv = true;
    using O = RecordingRules::OkOutcome;
    // Before, after, whether a file is open. Only the interval or the
    // columns changed is the end-to-end test's.
    const std::tuple<LogFileSettings, LogFileSettings, bool, O> cases[] = {
        {on, off, true, O::SwitchOff},    {off, off, false, O::SwitchOff},
        {on, on, true, O::KeepFile},      {on, otherName, true, O::Reopen},
        {on, otherCase, true, O::Reopen}, {on, list, true, O::Reopen},
        {off, on, true, O::Reopen},       {on, on, false, O::Reopen}};
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const auto& [before, after, fileOpen, outcome] = cases[row];
        EXPECT_EQ(RecordingRules::outcomeOfOk(before, after, fileOpen), outcome) << "row " << row;
    }
}

// Each column is tied to its own setting (the dialog and the file order them
// differently, which makes a mix-up easy).
TEST(SettingsColumns, MapOneToOneBothWays) {
    for (int column = 0; column < 5; ++column) {
        AppSettings s;
        s.recordTemp = s.recordRh = s.recordPress = s.recordSpeed = s.recordOrient = 0;
        int* fields[] = {&s.recordTemp, &s.recordPress, &s.recordRh, &s.recordSpeed,
                         &s.recordOrient};
        *fields[column] = 7; // any non-zero number switches a column on
        s.recordCsv = 3;
        s.recordEnabled = 9;
        const LogFileSettings r = LogFileSettings::fromAppSettings(s);
        const bool columns[] = {r.columns.temperature, r.columns.pressure, r.columns.humidity,
                                r.columns.speed, r.columns.direction};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(columns[i], i == column) << column << " " << i;
        }
        EXPECT_TRUE(r.csv && r.enabled);

        AppSettings back;
        r.storeInto(back);
        s.recordCsv = s.recordEnabled = *fields[column] = 1;
        EXPECT_EQ(back, s) << column;
    }
}

} // namespace
