#include "app/AppSettings.h"
#include "protocol/PanelData.h"
#include "recording/LogFileSettings.h"
#include "recording/RecordLine.h"
#include "recording/RecordLineBuilder.h"
#include "recording/RecordingRules.h"

#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

// 14 May 2003, 12:00:05.
constexpr DateTimeRecord kStamp{2003, 5, 3, 14, 12, 0, 5, 0};

// Both sensors attached (TQ-232 on channel 1, TQ-264 on channel 2), no errors.
PanelData bothSensors() {
    PanelData d;
    d.ch1Present = 1;
    d.modelTq232 = 1;
    d.ch2Present = 1;
    d.modelTq264 = 1;
    d.temperature = 21.5;
    d.pressure = 1013.2;
    d.humidity = 45.0;
    d.windSpeed = 3.4;
    d.windDirection = 270;
    return d;
}

constexpr RecordColumns kAll{};
constexpr RecordColumns kTemperatureOnly{true, false, false, false, false};
constexpr RecordColumns kDirectionOnly{false, false, false, false, true};

enum class Panel { Both, DirectionUnavailable, LinkLost, Channel1CalError, OnlyTq231, Negative };

PanelData panelFor(Panel p) {
    PanelData d = bothSensors();
    switch (p) {
    case Panel::Both:
    case Panel::LinkLost:
        break;
    case Panel::DirectionUnavailable:
        d.ch2Present = 0;
        break;
    case Panel::Channel1CalError:
        d.ch1CalError = 1;
        break;
    case Panel::OnlyTq231:
        d.modelTq232 = 0;
        d.modelTq231 = 1;
        d.ch2Present = 0;
        break;
    case Panel::Negative:
        d.temperature = -0.04;
        d.pressure = 999.96;
        d.windSpeed = 0.05;
        d.windDirection = 0;
        break;
    }
    return d;
}

struct LineCase {
    const char* name;
    RecordColumns columns;
    bool csv;
    Panel panel;
    std::string bytes; // header (on a freshly opened file) and data line, Windows-1250
};

class RecordLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(RecordLines, AreTheExactBytesOfTheFile) {
    const LineCase& c = GetParam();
    RecordLineBuilder builder;
    builder.fileOpened();
    const RecordLineBuilder::Line line =
        builder.next(c.columns, c.csv, kStamp, panelFor(c.panel), c.panel != Panel::LinkLost);
    EXPECT_EQ(line.bytes, c.bytes);
}

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
        LineCase{"CsvTemperatureOnly", kTemperatureOnly, true, Panel::Both,
                 "Data i Godzina,Temperatura \xB0"
                 "C\r\n2003.05.14 12:00:05,21.5\r\n"},
        LineCase{"TextDirectionOnly", kDirectionOnly, false, Panel::Both,
                 "Data i Godzina     \tKierunek \xB0\r\n"
                 "2003.05.14 12:00:05\t270          \r\n"},
        LineCase{"TextDirectionUnavailable", kDirectionOnly, false, Panel::DirectionUnavailable,
                 "Data i Godzina     \tKierunek \xB0\r\n"
                 "2003.05.14 12:00:05\t???      \r\n"},
        // The file's order is temperature, pressure, humidity, speed, direction.
        LineCase{"TextAllFive", kAll, false, Panel::Both,
                 kTextHeaderAll + "2003.05.14 12:00:05\t21.5         \t1013.2       \t45.0        "
                                  "\t3.4        \t270          \r\n"},
        LineCase{"CsvAllFive", kAll, true, Panel::Both,
                 kCsvHeaderAll + "2003.05.14 12:00:05,21.5,1013.2,45.0,3.4,270\r\n"},
        LineCase{"TextLinkLost", kAll, false, Panel::LinkLost,
                 kTextHeaderAll + "2003.05.14 12:00:05\t???           \t???         \t???      "
                                  "   \t???         \t???      \r\n"},
        LineCase{"CsvLinkLost", kAll, true, Panel::LinkLost,
                 kCsvHeaderAll + "2003.05.14 12:00:05,???,???,???,???,???\r\n"},
        // A channel error spoils every quantity of the channel, not the wind.
        LineCase{"CsvChannel1CalibrationError", kAll, true, Panel::Channel1CalError,
                 kCsvHeaderAll + "2003.05.14 12:00:05,???,???,???,3.4,270\r\n"},
        // A TQ-231 measures no pressure.
        LineCase{"TextTq231Alone", RecordColumns{true, true, true, false, false}, false,
                 Panel::OnlyTq231,
                 "Data i Godzina     \tTemperatura \xB0"
                 "C\tCi\x9Cnienie hPa\tWilgotno\x9C\xE6 %\r\n"
                 "2003.05.14 12:00:05\t21.5         \t???         \t45.0        \r\n"},
        LineCase{"CsvRounding", kAll, true, Panel::Negative,
                 kCsvHeaderAll + "2003.05.14 12:00:05,-0.0,1000.0,45.0,0.1,0\r\n"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(RecordLine, ValuesRoundAsPrintfInTheCLocaleWhateverTheProgramLocale) {
    PanelData d = bothSensors();
    for (double v : {0.05, 0.15, 0.25, 2.45, -12.35, 1013.25, 99999.95, 1e-7, -1e-7}) {
        d.temperature = v;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.1f", v);
        // Qt takes the locale from the environment; a decimal comma must not
        // reach the list layout (where the locale is installed).
        std::setlocale(LC_NUMERIC, "pl_PL.UTF-8");
        const std::string line = RecordLine::data(kTemperatureOnly, true, kStamp, d, true);
        std::setlocale(LC_NUMERIC, "C");
        EXPECT_EQ(line, std::string("2003.05.14 12:00:05,") + expected + "\r\n") << v;
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

// The header bookkeeping over a sequence of lines.
TEST(RecordLineBuilder, WritesAHeaderAfterEveryOpeningAndEveryChangeOfColumns) {
    const PanelData d = bothSensors();
    RecordLineBuilder b;
    auto hasHeader = [&](const RecordColumns& columns) {
        const RecordLineBuilder::Line line = b.next(columns, true, kStamp, d, true);
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
    const RecordLineBuilder::Line lost = b.next(kAll, true, kStamp, d, true);
    EXPECT_TRUE(lost.headerFor.has_value());
    EXPECT_TRUE(hasHeader(kAll));
    EXPECT_EQ(b.lastHeaderSet(), kAll);
}

struct IntervalCase {
    int stored;
    RecordingRules::TimeOfDay shown;
};

class IntervalPicker : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(IntervalPicker, ShowsTheIntervalAsATimeOfDay) {
    EXPECT_EQ(RecordingRules::intervalToTime(GetParam().stored), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Table, IntervalPicker,
                         ::testing::Values(IntervalCase{1, {0, 0, 1}}, IntervalCase{90, {0, 1, 30}},
                                           IntervalCase{3661, {1, 1, 1}},
                                           IntervalCase{86399, {23, 59, 59}},
                                           // Damaged settings are brought into range.
                                           IntervalCase{0, {0, 0, 1}}, IntervalCase{-7, {0, 0, 1}},
                                           IntervalCase{86400, {23, 59, 59}},
                                           IntervalCase{2147483647, {23, 59, 59}}));

TEST(IntervalPicker, ZeroBecomesOneSecond) {
    EXPECT_EQ(RecordingRules::timeToInterval({0, 0, 0}), 1);
    EXPECT_EQ(RecordingRules::timeToInterval({0, 0, 1}), 1);
    EXPECT_EQ(RecordingRules::timeToInterval({0, 1, 30}), 90);
    EXPECT_EQ(RecordingRules::timeToInterval({23, 59, 59}), 86399);
}

struct OkCase {
    const char* name;
    bool wasEnabled;
    bool fileOpen;
    bool enabled;
    const char* fileName;
    bool csv;
    int interval;
    RecordColumns columns;
    RecordingRules::OkOutcome outcome;
};

class OkInTheDialog : public ::testing::TestWithParam<OkCase> {};

TEST_P(OkInTheDialog, ReopensOnlyWhenTheFileOrItsLayoutChanges) {
    const OkCase& c = GetParam();
    LogFileSettings before;
    before.enabled = c.wasEnabled;
    before.fileName = "/dane/pomiary.txt";
    before.intervalSeconds = 1;
    LogFileSettings after;
    after.enabled = c.enabled;
    after.fileName = c.fileName;
    after.csv = c.csv;
    after.intervalSeconds = c.interval;
    after.columns = c.columns;
    EXPECT_EQ(RecordingRules::outcomeOfOk(before, after, c.fileOpen), c.outcome);
}

using O = RecordingRules::OkOutcome;
INSTANTIATE_TEST_SUITE_P(
    Table, OkInTheDialog,
    ::testing::Values(
        OkCase{"SwitchedOff", true, true, false, "/dane/pomiary.txt", false, 1, kAll, O::SwitchOff},
        OkCase{"OffStaysOff", false, false, false, "/inne.txt", true, 5, kAll, O::SwitchOff},
        OkCase{"NothingChanged", true, true, true, "/dane/pomiary.txt", false, 1, kAll,
               O::KeepFile},
        OkCase{"IntervalOnly", true, true, true, "/dane/pomiary.txt", false, 60, kAll, O::KeepFile},
        OkCase{"ColumnsOnly", true, true, true, "/dane/pomiary.txt", false, 1, kTemperatureOnly,
               O::KeepFile},
        OkCase{"OtherName", true, true, true, "/dane/inne.txt", false, 1, kAll, O::Reopen},
        // Names differ in letter case: another file on most disks.
        OkCase{"OtherCase", true, true, true, "/dane/Pomiary.txt", false, 1, kAll, O::Reopen},
        OkCase{"LayoutChanged", true, true, true, "/dane/pomiary.txt", true, 1, kAll, O::Reopen},
        OkCase{"WasOff", false, true, true, "/dane/pomiary.txt", false, 1, kAll, O::Reopen},
        OkCase{"NoFileOpen", true, false, true, "/dane/pomiary.txt", false, 1, kAll, O::Reopen}),
    [](const ::testing::TestParamInfo<OkCase>& info) { return std::string(info.param.name); });

// Each column is tied to its own setting (the dialog and the file order them
// differently, which makes a mix-up easy).
class SettingsColumns : public ::testing::TestWithParam<int> {};

TEST_P(SettingsColumns, MapOneToOne) {
    AppSettings s;
    s.recordTemp = s.recordRh = s.recordPress = s.recordSpeed = s.recordOrient = 0;
    int* fields[] = {&s.recordTemp, &s.recordPress, &s.recordRh, &s.recordSpeed, &s.recordOrient};
    *fields[GetParam()] = 7; // any non-zero number switches a column on
    s.recordCsv = 3;
    s.recordEnabled = 9;
    const LogFileSettings r = LogFileSettings::fromAppSettings(s);
    const bool columns[] = {r.columns.temperature, r.columns.pressure, r.columns.humidity,
                            r.columns.speed, r.columns.direction};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(columns[i], i == GetParam()) << i;
    }
    EXPECT_TRUE(r.csv);
    EXPECT_TRUE(r.enabled);

    AppSettings back;
    r.storeInto(back);
    s.recordCsv = 1;
    s.recordEnabled = 1;
    *fields[GetParam()] = 1;
    EXPECT_EQ(back, s);
}

INSTANTIATE_TEST_SUITE_P(EachColumn, SettingsColumns, ::testing::Range(0, 5));

} // namespace
