#include "protocol/MemoryDecoder.h"

#include "recording/MemoryListText.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Row = std::vector<std::string>;

// What the list shows for the decoded records, every column of every row.
std::vector<Row> listRows(const std::vector<MemoryRecord>& records) {
    std::vector<Row> rows(records.size());
    for (std::size_t r = 0; r < records.size(); ++r) {
        for (int c = 0; c < kMemoryColumnCount; ++c) {
            rows[r].push_back(memoryCellText(records[r], int(r), static_cast<MemoryColumn>(c)));
        }
    }
    return rows;
}

std::vector<MemoryRecord> decode(const Bytes& bytes) {
    return decodeMemory(bytes.data(), static_cast<int>(bytes.size()));
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// THP: 21.5 °C (T 625 = 512 + 0x71), 45.0 % (H 450 = 0x42 + 128 + 256),
// 1013.2 hPa (p1 0xA7, p0 0x14).
const Bytes kThp{0x52, 0x71, 0x42, 0xA7, 0x14};
// W: 3.4 m/s, 270° (D 270 = 256 + 0x0E).
const Bytes kWind{0x10, 0x22, 0x0E};
const Bytes kEnd{0xFF};

struct DecodeCase {
    const char* name;
    Bytes memory;
    std::vector<Row> rows;
};

std::ostream& operator<<(std::ostream& os, const DecodeCase& c) {
    return os << c.name;
}

class MemoryDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(MemoryDecoding, ListShowsTheRecords) {
    EXPECT_EQ(listRows(decode(GetParam().memory)), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MemoryDecoding,
    ::testing::Values(
        DecodeCase{"DayAndMonthRollOverIntoJanuary",
                   Bytes{0xF0, 0x59, 0x23, 0x31, 0x0C, 0x01} + kThp + kEnd,
                   {{"1", "01-01 00:00", "21.5", "45.0", "1013.2", "", ""}}},
        DecodeCase{"FebruaryHas28Days",
                   Bytes{0xF0, 0x30, 0x23, 0x28, 0x02, 0x3C} + kThp + kThp + kEnd,
                   {{"1", "03-01 00:30", "21.5", "45.0", "1013.2", "", ""},
                    {"2", "03-01 01:30", "21.5", "45.0", "1013.2", "", ""}}},
        DecodeCase{"ThirtyDayMonthRollsOverAfterThe30th",
                   Bytes{0xF0, 0x50, 0x23, 0x30, 0x04, 0x0A} + kThp + kEnd,
                   {{"1", "05-01 00:00", "21.5", "45.0", "1013.2", "", ""}}},
        DecodeCase{
            "EmptyBlockGivesNoRowAndNumbersRunOn",
            Bytes{0xF0, 0x00, 0x08, 0x14, 0x55, 0x0A} +
                Bytes{0xF0, 0x00, 0x12, 0x14, 0x55, 0x0F, 0x00, 0x04, 0x00, 0x04, 0x5A, 0x10} +
                kEnd,
            {{"1", "05-14 12:15", "Brak danych", "0.0", "", "", ""},
             {"2", "05-14 12:30", "70.4", "1.6", "", "", ""}}},
        // Each layout against the simulator's records is the end-to-end test's.
        DecodeCase{"EverySpecialTextAndTheCodesNextToThem",
                   Bytes{0xF0, 0x00, 0x00, 0x01, 0x51, 0x01, 0x70, 0x00, 0x7F, 0x70, 0x01, 0x7E,
                         0x70, 0x02, 0x7D, 0x70, 0x03, 0x7C, 0x70, 0x04, 0x7B, 0x70, 0x05, 0x7A} +
                       Bytes{0xF0, 0x00, 0x00, 0x01, 0x31, 0x01, 0x7F, 0x7F, 0x7F, 0x7E, 0x7F, 0x7D,
                             0x7F, 0x7C, 0x7F, 0x7B, 0x7F, 0x7A} +
                       Bytes{0xF0, 0x00, 0x00, 0x01, 0x21, 0x01, 0x7F, 0x7F,
                             0x7F, 0x7F, 0x7E, 0x7E, 0x7F, 0x7D, 0x7D, 0x7F,
                             0x7C, 0x7C, 0x7F, 0x7B, 0x7B, 0x7F, 0x7A, 0x7A} +
                       kEnd,
                   {{"1", "01-01 00:01", "Brak rekordu", "Brak rekordu", "", "", ""},
                    {"2", "01-01 00:02", "Błąd rekordu", "Błąd rekordu", "", "", ""},
                    {"3", "01-01 00:03", "Błąd kalibracji", "Błąd kalibracji", "", "", ""},
                    {"4", "01-01 00:04", "Błąd pomiaru", "Błąd pomiaru", "", "", ""},
                    {"5", "01-01 00:05", "Brak danych", "Brak danych", "", "", ""},
                    {"6", "01-01 00:06", "-40.5", "101.8", "", "", ""},
                    {"7", "01-01 00:01", "", "", "Brak rekordu", "", ""},
                    {"8", "01-01 00:02", "", "", "Błąd rekordu", "", ""},
                    {"9", "01-01 00:03", "", "", "Błąd kalibracji", "", ""},
                    {"10", "01-01 00:04", "", "", "Błąd pomiaru", "", ""},
                    {"11", "01-01 00:05", "", "", "Brak danych", "", ""},
                    {"12", "01-01 00:06", "", "", "3263.4", "", ""},
                    {"13", "01-01 00:01", "", "", "", "Brak rekordu", "Brak rekordu"},
                    {"14", "01-01 00:02", "", "", "", "Błąd rekordu", "Błąd rekordu"},
                    {"15", "01-01 00:03", "", "", "", "Błąd kalibracji", "Błąd kalibracji"},
                    {"16", "01-01 00:04", "", "", "", "Błąd pomiaru", "Błąd pomiaru"},
                    {"17", "01-01 00:05", "", "", "", "Brak danych", "Brak danych"},
                    {"18", "01-01 00:06", "", "", "", "1018", "204.2"}}},
        DecodeCase{"BitArithmeticOfTheParts",
                   Bytes{0xF0, 0x00, 0x00, 0x01, 0x51, 0x00,
                         // K bits 0..3 on T, low byte whole: 255+128+256+512+1024 = 2175
                         0x0F, 0xFF, 0xFF,
                         // K bits 4..6 on H: 255+128+256+512 = 1151; bit 7 unused
                         // (0xF0 itself would start a block)
                         0xF1, 0xFF, 0xFF,
                         // single weights: K3 = 128, K0 = 256, K1 = 512, K2 = 1024
                         0x08, 0x00, 0x00, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x04, 0x5A, 0x10,
                         // negative temperatures and zero
                         0x00, 0xFF, 0x00, 0x01, 0x95, 0x00, 0x01, 0x9A, 0x00} +
                       Bytes{0xF0, 0x00, 0x00, 0x01, 0x31, 0x00, 0xA7, 0x14, 0x80, 0x00, 0xFF, 0xFF,
                             0x00, 0x00} +
                       Bytes{0xF0, 0x00, 0x00, 0x01, 0x21, 0x00, 0x8F, 0xFF, 0xFF, 0x70, 0x00, 0x68,
                             0x08, 0x00, 0x00} +
                       kEnd,
                   {{"1", "01-01 00:00", "176.5", "25.5", "", "", ""},
                    {"2", "01-01 00:00", "10.1", "115.1", "", "", ""},
                    {"3", "01-01 00:00", "-28.2", "0.0", "", "", ""},
                    {"4", "01-01 00:00", "-15.4", "0.0", "", "", ""},
                    {"5", "01-01 00:00", "10.2", "0.0", "", "", ""},
                    {"6", "01-01 00:00", "70.4", "1.6", "", "", ""},
                    {"7", "01-01 00:00", "-15.5", "0.0", "", "", ""},
                    {"8", "01-01 00:00", "-0.5", "0.0", "", "", ""},
                    {"9", "01-01 00:00", "0.0", "0.0", "", "", ""},
                    {"10", "01-01 00:00", "", "", "1013.2", "", ""},
                    {"11", "01-01 00:00", "", "", "12.8", "", ""},
                    {"12", "01-01 00:00", "", "", "3289.5", "", ""},
                    {"13", "01-01 00:00", "", "", "0.0", "", ""},
                    {"14", "01-01 00:00", "", "", "", "255", "217.5"},
                    {"15", "01-01 00:00", "", "", "", "1000", "0.0"},
                    {"16", "01-01 00:00", "", "", "", "0", "12.8"}}},
        DecodeCase{"IntervalCarriesOverSeveralHours",
                   Bytes{0xF0, 0x45, 0x22, 0x31, 0x5C, 0xFF, 0x00, 0x64, 0x64} + kEnd,
                   {{"1", "01-01 03:00", "-31.0", "10.0", "", "", ""}}},
        DecodeCase{"UnknownLayoutGivesOneBareRowAndEndsTheDecoding",
                   Bytes{0xF0, 0x00, 0x10, 0x01, 0x51, 0x05, 0x52, 0x71, 0x42} +
                       Bytes{0xF0, 0x00, 0x10, 0x01, 0x71, 0x05} + kThp + kThp + kEnd,
                   {{"1", "01-01 10:05", "21.5", "45.0", "", "", ""},
                    {"2", "01-01 10:05", "", "", "", "", ""}}},
        DecodeCase{"OnlyTheEndMarker", Bytes{0xFF}, {}},
        DecodeCase{"HeaderWithoutRecords", Bytes{0xF0, 0x00, 0x10, 0x01, 0x51, 0x05, 0xFF}, {}},
        DecodeCase{"FirstByteNotABlockStart", Bytes{0x00, 0x00, 0x10, 0x01, 0x51, 0x05} + kThp, {}},
        DecodeCase{"FewerThanSixBytes", Bytes{0xF0, 0x00, 0x10, 0x01, 0xFF}, {}},
        // Memory contents the panel should never send: what can be told apart.
        // BCD digits above 9 still add up (165 minutes, hours and days).
        DecodeCase{"BcdDigitsAboveNine",
                   Bytes{0xF0, 0xFF, 0xFF, 0xFF, 0x51, 0x00, 0x00, 0x64, 0x64} + kEnd,
                   {{"1", "02-01 23:45", "-31.0", "10.0", "", "", ""}}},
        DecodeCase{"MonthZeroIsShownUntilItRollsOver",
                   Bytes{0xF0, 0x50, 0x23, 0x31, 0x50, 0x05, 0x00, 0x64, 0x64, 0x00, 0x64, 0x64} +
                       kEnd,
                   {{"1", "00-31 23:55", "-31.0", "10.0", "", "", ""},
                    {"2", "01-01 00:00", "-31.0", "10.0", "", "", ""}}},
        DecodeCase{"MonthAboveTwelveRollsOverToJanuary",
                   Bytes{0xF0, 0x50, 0x23, 0x31, 0x5F, 0x0A, 0x00, 0x64, 0x64} + kEnd,
                   {{"1", "01-01 00:00", "-31.0", "10.0", "", "", ""}}},
        DecodeCase{
            "HeaderCutShortByTheEndMarker",
            Bytes{0xF0, 0x00, 0x10, 0x01, 0x51, 0x05, 0x00, 0x64, 0x64, 0xF0, 0x00, 0x11, 0xFF},
            {{"1", "01-01 10:05", "-31.0", "10.0", "", "", ""}}},
        DecodeCase{"RecordCutShortByTheEndMarkerIsDropped",
                   Bytes{0xF0, 0x00, 0x10, 0x01, 0x11, 0x05} + kThp + kWind + kThp +
                       Bytes{0x10, 0x22} + kEnd,
                   {{"1", "01-01 10:05", "21.5", "45.0", "1013.2", "270", "3.4"}}},
        // Without an end marker the last byte stands in for it.
        DecodeCase{"NoEndMarker",
                   Bytes{0xF0, 0x00, 0x10, 0x01, 0x51, 0x05, 0x00, 0x64, 0x64, 0x00, 0x64, 0x64},
                   {{"1", "01-01 10:05", "-31.0", "10.0", "", "", ""}}},
        DecodeCase{"OnlyBlockStarts", Bytes(4096, 0xF0), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MemoryDecoder, LargestRecordCountFromAFullMemory) {
    // One block of pressure records fills 4096 bytes with the most records.
    Bytes memory{0xF0, 0x00, 0x00, 0x01, 0x31, 0x01};
    while (memory.size() + 2 < 4096) {
        memory.insert(memory.end(), {0xA7, 0x14});
    }
    memory.resize(4095, 0x00);
    memory.push_back(0xFF);
    const auto records = decode(memory);
    ASSERT_EQ(records.size(), 2044u);
    // 2044 minutes after 00:00 on 1 January.
    EXPECT_EQ(records.back().timeText, "01-02 10:04");
    EXPECT_EQ(memoryCellText(records.back(), 2043, MemoryColumn::Number), "2044");
}

} // namespace
