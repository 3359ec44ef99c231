#include "charts/ChartTable.h"

#include <gtest/gtest.h>

namespace {

TEST(ChartTable, ReadoutAndCells) {
    ChartRow r;
    r.utc = 0;
    r.seconds = 60;
    r[Quantity::TEMP] = Band::of(-5.3);
    r[Quantity::RH] = Band::of(45.3);
    r[Quantity::SPEED] = {2.0F, 3.4F, 7.9F};
    r[Quantity::ORIENT] = Band::of(270);
    EXPECT_EQ(readoutText("9.12.2026 14:05", r),
              "9.12.2026 14:05: temperatura -5.3 °C, punkt rosy -15.3 °C, temperatura "
              "odczuwalna -10.2 °C, wilgotność 45.3 %, ciśnienie brak danych, prędkość wiatru "
              "3.4 m/s (maks. 7.9 m/s), 3 w skali Beauforta, kierunek 270 °");
    std::vector<std::string> cells;
    for (const TableColumn c : kTableColumns) {
        cells.push_back(columnText(r, c));
    }
    EXPECT_EQ(cells, (std::vector<std::string>{"-5.3", "???", "45.3", "3.4", "270", "7.9", "-15.3",
                                               "-10.3", "3"}));
}

} // namespace
