#include "ZoneForTests.h"
#include "history/RecordFileParser.h"
#include "protocol/PanelData.h"
#include "recording/RecordLineBuilder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// What the panel reports at one line's moment.
enum class Panel { Both, Cold, Faulty, LinkLost };

struct Line {
    DateTimeRecord stamp; // local time
    RecordColumns columns;
    Panel panel;
};

struct ImportCase {
    const char* name;
    bool csv;
    std::vector<Line> lines;
    // Lines another program added (or a crash cut short): each one is skipped.
    std::vector<std::string> foreign;
};

void PrintTo(const ImportCase& c, std::ostream* os) {
    *os << c.name;
}

PanelData panelFor(Panel p) {
    PanelData d;
    d.ch1Present = d.modelTq232 = d.ch2Present = d.modelTq264 = 1;
    d.temperature = 21.5;
    d.pressure = 1013.2;
    d.humidity = 45.0;
    d.windSpeed = 3.4;
    d.windDirection = 270;
    if (p == Panel::Cold) {
        d.temperature = -12.3;
        d.pressure = 987.6;
        d.humidity = 100.0;
        d.windSpeed = 0.0;
        d.windDirection = 0;
    }
    if (p == Panel::Faulty) {
        d.ch1CalError = 1; // temperature, humidity and pressure are unknown
        d.windDirection = 359;
    }
    return d;
}

// The values the line holds: the wanted columns' known quantities.
RawRow expectedRow(const Line& line, const ZoneRules& zone, LocalTimeResolver& resolver) {
    const PanelData d = panelFor(line.panel);
    const bool linkUp = line.panel != Panel::LinkLost;
    RawRow row;
    const DateTimeRecord& t = line.stamp;
    const ZonedTime at = resolver.resolve({t.year, t.month, t.day, t.hour, t.minute, t.second});
    row.utc = at.utc;
    row.offset = zone.offsetAt(at.utc);
    const std::array<std::pair<Quantity, bool>, 5> wanted{
        {{Quantity::TEMP, line.columns.temperature},
         {Quantity::RH, line.columns.humidity},
         {Quantity::PRESS, line.columns.pressure},
         {Quantity::SPEED, line.columns.speed},
         {Quantity::ORIENT, line.columns.direction}}};
    for (const auto& [q, want] : wanted) {
        if (want && d.isAvailable(q, linkUp) && !d.isFaulty(q)) {
            row.values[slot(q)] = toTenths(d.value(q));
        }
    }
    return row;
}

class RecordFileImport : public ::testing::TestWithParam<ImportCase> {};

// The file is written by the live recorder's own line builder and read back.
TEST_P(RecordFileImport, ReadsBackEveryLineTheRecorderWrites) {
    const ImportCase& c = GetParam();
    CentralEuropeanZone zone;
    RecordLineBuilder builder;
    builder.fileOpened();
    std::string file;
    for (const Line& line : c.lines) {
        const RecordLineBuilder::Line written = builder.next(
            line.columns, c.csv, line.stamp, panelFor(line.panel), line.panel != Panel::LinkLost);
        builder.written(written);
        file += written.bytes;
    }
    for (const std::string& f : c.foreign) {
        file += f;
    }

    RecordFileParser parser(zone);
    std::vector<RawRow> read;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = file.find('\n', start);
        const std::size_t next = end == std::string::npos ? file.size() : end + 1;
        if (const auto row = parser.line(std::string_view(file).substr(start, next - start))) {
            read.push_back(*row);
        }
        start = next;
    }

    LocalTimeResolver resolver(zone);
    std::vector<RawRow> expected;
    for (const Line& line : c.lines) {
        expected.push_back(expectedRow(line, zone, resolver));
    }
    EXPECT_EQ(read, expected);
    EXPECT_EQ(parser.readLines(), static_cast<int>(c.lines.size()));
    EXPECT_EQ(parser.skippedLines(), static_cast<int>(c.foreign.size()));
}

constexpr RecordColumns kAll{};
constexpr RecordColumns kTempPress{true, true, false, false, false};
constexpr RecordColumns kDirection{false, false, false, false, true};
constexpr RecordColumns kHumSpeed{false, false, true, true, false};

constexpr DateTimeRecord at(int hour, int minute, int second, int day = 14, int month = 5) {
    return DateTimeRecord{2026,
                          static_cast<std::uint16_t>(month),
                          0,
                          static_cast<std::uint16_t>(day),
                          static_cast<std::uint16_t>(hour),
                          static_cast<std::uint16_t>(minute),
                          static_cast<std::uint16_t>(second),
                          0};
}

const std::vector<Line> kEveryKind{
    {at(12, 0, 5), kAll, Panel::Both},         {at(12, 0, 6), kAll, Panel::Cold},
    {at(12, 0, 7), kAll, Panel::Faulty},       {at(12, 0, 8), kAll, Panel::LinkLost},
    {at(12, 0, 9), kTempPress, Panel::Both},   {at(12, 0, 10), kTempPress, Panel::Cold},
    {at(12, 1, 0), kDirection, Panel::Faulty}, {at(12, 1, 1), kHumSpeed, Panel::Cold},
    {at(12, 1, 2), kAll, Panel::Both}};

// Every half hour through the night that 2026 goes back to winter time: the
// hour from 02:00 is written twice, and neither pass may be lost.
std::vector<Line> acrossTheChangeToWinterTime() {
    std::vector<Line> lines;
    for (const auto& [h, m] : {std::pair{1, 30}, {2, 0}, {2, 30}, {2, 0}, {2, 30}, {3, 0}}) {
        lines.push_back({at(h, m, 0, 25, 10), kAll, Panel::Both});
    }
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RecordFileImport,
    ::testing::Values(
        ImportCase{"TextLayout", false, kEveryKind, {}},
        ImportCase{"ListLayout", true, kEveryKind, {}},
        ImportCase{"AcrossTheChangeToWinterTime", true, acrossTheChangeToWinterTime(), {}},
        ImportCase{"ForeignAndBrokenLines",
                   false,
                   kEveryKind,
                   {"notatka\r\n", "2026.05.14 12:01:03\t21.5\r\n",
                    "2026.05.14 12:01:04\t21.5         \t1013.2       \t45.0        \t3.4     "
                    "   \tsouth     \r\n",
                    "2026.02.30 12:01:05\t???           \t???         \t???         \t???   "
                    "      \t???      \r\n",
                    "Data i Godzina     \tTemperatura \xB0"
                    "C\tWiatr\r\n",
                    "2026.05.14 12:01:06\t21.5         \r\n", "2026.05.14 12:0"}}),
    [](const ::testing::TestParamInfo<ImportCase>& info) { return std::string(info.param.name); });

// The change to winter time as the import sees it: half an hour apart each.
TEST(RecordFileImport, LinesThroughTheRepeatedHourStayHalfAnHourApart) {
    CentralEuropeanZone zone;
    LocalTimeResolver resolver(zone);
    std::vector<std::int64_t> utc;
    for (const Line& line : acrossTheChangeToWinterTime()) {
        const DateTimeRecord& t = line.stamp;
        utc.push_back(resolver.resolve({t.year, t.month, t.day, t.hour, t.minute, 0}).utc);
    }
    for (std::size_t i = 1; i < utc.size(); ++i) {
        EXPECT_EQ(utc[i] - utc[i - 1], 1800) << i;
    }
}

} // namespace
