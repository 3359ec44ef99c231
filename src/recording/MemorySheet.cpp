#include "recording/MemorySheet.h"

#include "recording/MemoryListText.h"
#include "recording/MemoryRecordTime.h"
#include "recording/MemoryValueText.h"

namespace {

Workbook::Column column(MemoryColumn c, Workbook::ColumnType type, int decimals = 0) {
    return {memoryColumnTitle(c), type, decimals, false};
}

// A value the record holds and that is a measurement, in its unit.
Workbook::Cell value(bool held, MemoryQuantity quantity, int raw, double scale) {
    if (!held || !memorySpecialText(quantity, raw).empty()) {
        return Workbook::Empty{};
    }
    return raw / scale;
}

} // namespace

Workbook::Sheet memorySheet(const std::vector<MemoryRecord>& records,
                            const DateTimeRecord& downloadedAt) {
    using Workbook::ColumnType;
    Workbook::Sheet sheet;
    sheet.name = "Pamięć";
    sheet.columns = {
        column(MemoryColumn::Number, ColumnType::Number),
        column(MemoryColumn::Time, ColumnType::DateTime),
        column(MemoryColumn::Temperature, ColumnType::Number, 1),
        column(MemoryColumn::Humidity, ColumnType::Number, 1),
        column(MemoryColumn::Pressure, ColumnType::Number, 1),
        column(MemoryColumn::Direction, ColumnType::Number, 0),
        column(MemoryColumn::Speed, ColumnType::Number, 1),
    };
    sheet.rows.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const MemoryRecord& r = records[i];
        Workbook::Cell time = Workbook::Empty{};
        if (const auto t = memoryRecordTime(r.timeText, downloadedAt)) {
            time = *t;
        }
        sheet.rows.push_back({
            static_cast<double>(i + 1),
            time,
            value(r.hasTemperature(), MemoryQuantity::Temperature, r.temperatureTenths, 10.0),
            value(r.hasTemperature(), MemoryQuantity::Humidity, r.humidityTenths, 10.0),
            value(r.hasPressureValue(), MemoryQuantity::Pressure, r.pressureTenths, 10.0),
            value(r.hasWind, MemoryQuantity::Direction, r.directionDegrees, 1.0),
            value(r.hasWind, MemoryQuantity::Speed, r.speedTenths, 10.0),
        });
    }
    return sheet;
}
