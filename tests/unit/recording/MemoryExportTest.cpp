#include "recording/MemoryExport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

MemoryRecord record(const char* time, int layout, int temperature = 0, int humidity = 0,
                    int pressure = 0, int direction = 0, int speed = 0) {
    const RecordParts parts = recordParts(layout);
    MemoryRecord r;
    r.timeText = time;
    r.hasTempHum = parts.tempHum;
    r.hasTempHumPress = parts.tempHumPress;
    r.hasPressure = parts.pressure;
    r.hasWind = parts.wind;
    r.temperatureTenths = temperature;
    r.humidityTenths = humidity;
    r.pressureTenths = pressure;
    r.directionDegrees = direction;
    r.speedTenths = speed;
    return r;
}

// The captions in Windows-1250.
const std::string kHumidity = "Wilgotno\x9c\xe6";
const std::string kPressure = "Ci\x9cnienie";
const std::string kSpeed = "Pr\xea"
                           "dko\x9c\xe6";

struct ExportCase {
    const char* name;
    std::vector<MemoryRecord> records;
    bool csv;
    std::string bytes;
};

class MemoryExportLines : public ::testing::TestWithParam<ExportCase> {};

TEST_P(MemoryExportLines, FileBytes) {
    EXPECT_EQ(MemoryExport::allLines(GetParam().records, GetParam().csv), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MemoryExportLines,
    ::testing::Values(
        ExportCase{"TextTemperatureAndHumidity",
                   {record("05-14 12:00", 5, 215, 450)},
                   false,
                   "Data i Godzina\tTemperatura\t" + kHumidity +
                       "\r\n"
                       "05-14 12:00   \t21.5       \t45.0      \r\n"},
        ExportCase{"ListWindWithSpecialDirection",
                   {record("05-14 12:00", 2, 0, 0, 0, 1020, 34)},
                   true,
                   "Data i Godzina,Kierunek," + kSpeed +
                       "\r\n"
                       "05-14 12:00,???,3.4\r\n"},
        ExportCase{
            "TextEveryValueAndUnknownValuesPaddedApart",
            {record("01-01 00:10", 1, -5, 1000, 10132, 270, 0),
             record("01-01 00:20", 1, -410, 1019, 32637, 1023, 2043)},
            false,
            "Data i Godzina\tTemperatura\t" + kHumidity + "\t" + kPressure + "\tKierunek\t" +
                kSpeed +
                "\r\n"
                "01-01 00:10   \t-0.5       \t100.0      \t1013.2    \t270       \t0.0    \r\n"
                "01-01 00:20   \t???        \t???       \t???      \t???       \t???     \r\n"},
        ExportCase{"HeaderRepeatsWhenThePartsChange",
                   {record("01-01 00:10", 0, 215, 450, 10132),
                    record("01-01 00:20", 0, 216, 451, 10131),
                    record("01-01 00:30", 1, 217, 452, 10130, 90, 12),
                    record("01-01 00:40", 0, -406, 1019, 32635)},
                   true,
                   "Data i Godzina,Temperatura," + kHumidity + "," + kPressure +
                       "\r\n"
                       "01-01 00:10,21.5,45.0,1013.2\r\n"
                       "01-01 00:20,21.6,45.1,1013.1\r\n"
                       "Data i Godzina,Temperatura," +
                       kHumidity + "," + kPressure + ",Kierunek," + kSpeed +
                       "\r\n"
                       "01-01 00:30,21.7,45.2,1013.0,90,1.2\r\n"
                       "Data i Godzina,Temperatura," +
                       kHumidity + "," + kPressure +
                       "\r\n"
                       "01-01 00:40,???,???,???\r\n"},
        ExportCase{"EveryOtherPartSet",
                   {record("02-28 23:50", 3, 0, 0, 10132),
                    record("03-01 00:00", 4, 0, 0, 10133, 45, 20),
                    record("03-01 00:10", 6, 230, 500, 0, 46, 21),
                    record("03-01 00:20", 2, 0, 0, 0, 47, 22)},
                   false,
                   "Data i Godzina\t" + kPressure +
                       "\r\n"
                       "02-28 23:50   \t1013.2    \r\n"
                       "Data i Godzina\t" +
                       kPressure + "\tKierunek\t" + kSpeed +
                       "\r\n"
                       "03-01 00:00   \t1013.3    \t45       \t2.0    \r\n"
                       "Data i Godzina\tTemperatura\t" +
                       kHumidity + "\tKierunek\t" + kSpeed +
                       "\r\n"
                       "03-01 00:10   \t23.0       \t50.0      \t46       \t2.1    \r\n"
                       "Data i Godzina\tKierunek\t" +
                       kSpeed +
                       "\r\n"
                       "03-01 00:20   \t47       \t2.2    \r\n"},
        // A record of a layout the panel does not know holds only its time.
        ExportCase{"RecordWithoutParts",
                   {record("05-14 12:00", 5, 215, 450), record("05-14 12:10", 9)},
                   false,
                   "Data i Godzina\tTemperatura\t" + kHumidity +
                       "\r\n"
                       "05-14 12:00   \t21.5       \t45.0      \r\n"
                       "Data i Godzina\r\n"
                       "05-14 12:10   \t\r\n"},
        ExportCase{"NoRecordsNoLines", {}, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
