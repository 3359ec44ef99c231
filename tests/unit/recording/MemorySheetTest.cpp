#include "recording/MemorySheet.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace {

MemoryRecord windRecord(const char* time, int direction, int speed) {
    MemoryRecord r;
    r.timeText = time;
    r.hasWind = true;
    r.directionDegrees = direction;
    r.speedTenths = speed;
    return r;
}

TEST(MemorySheet, TheListsColumnsTypedWithUnknownValuesEmpty) {
    MemoryRecord full;
    full.timeText = "12-31 23:50";
    full.hasTempHumPress = true;
    full.temperatureTenths = -57;
    full.humidityTenths = 1019; // "Brak danych"
    full.pressureTenths = 10132;
    DateTimeRecord downloaded;
    downloaded.year = 2027;
    downloaded.month = 1;
    downloaded.day = 2;
    const Workbook::Sheet sheet =
        memorySheet({full, windRecord("01-01 00:00", 270, 2047)}, downloaded);

    ASSERT_EQ(sheet.columns.size(), 7u);
    std::vector<std::string> titles;
    for (const auto& c : sheet.columns) {
        titles.push_back(c.title);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Nr", "Data i czas", "Temperatura", "Wilgotność",
                                                "Ciśnienie", "Kierunek", "Prędkość"}));
    EXPECT_EQ(sheet.columns[1].type, Workbook::ColumnType::DateTime);
    EXPECT_EQ(sheet.columns[2].decimals, 1);
    EXPECT_EQ(sheet.columns[5].decimals, 0);

    using Workbook::Cell;
    using Workbook::Empty;
    DateTimeRecord lastYear;
    lastYear.year = 2026;
    lastYear.month = 12;
    lastYear.day = 31;
    lastYear.hour = 23;
    lastYear.minute = 50;
    EXPECT_EQ(sheet.rows[0],
              (std::vector<Cell>{1.0, lastYear, -5.7, Empty{}, 1013.2, Empty{}, Empty{}}));
    EXPECT_EQ(sheet.rows[1][0], Cell(2.0));
    EXPECT_EQ(sheet.rows[1][5], Cell(270.0));
    EXPECT_EQ(sheet.rows[1][6], Cell(Empty{})) << "speed 2047 is \"Brak rekordu\"";
}

class WorkbookFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() /
            ("tq820-workbook-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    static std::string contents(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::filesystem::path folder;
};

TEST_F(WorkbookFile, ReplacesTheFileWholeOrLeavesItAsItWas) {
    const Workbook::Sheet sheet = memorySheet({windRecord("05-14 12:00", 90, 31)}, {});
    const auto path = folder / "pamięć.xlsx";
    {
        std::ofstream old(path);
        old << "stary plik";
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    EXPECT_EQ(Workbook::write(sheet, path.string()), "");
    EXPECT_EQ(contents(path).substr(0, 2), "PK") << "a zip container";
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1)
        << "no temporary file left beside it";

    EXPECT_EQ(Workbook::write(sheet, (folder / "brak" / "a.xlsx").string()),
              "plik lub folder nie istnieje");
    EXPECT_EQ(Workbook::write(sheet, folder.string()), "to jest folder, a nie plik");
}

} // namespace
