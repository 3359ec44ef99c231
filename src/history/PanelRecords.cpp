#include "history/PanelRecords.h"

#include "recording/MemoryRecordTime.h"
#include "recording/MemoryValueText.h"

namespace {

StoredValue measured(MemoryQuantity q, int value, int tenthsPerUnit) {
    if (!memorySpecialText(q, value).empty()) {
        return std::nullopt;
    }
    return value * tenthsPerUnit;
}

} // namespace

PanelRecordRows panelRecordRows(const std::vector<MemoryRecord>& records,
                                const LocalDateTime& download, const ZoneRules& zone) {
    PanelRecordRows out;
    LocalTimeResolver resolver(zone);
    const LocalDateTime w = wallTime(wallSeconds(download) + kPanelClockAheadSeconds);
    const DateTimeRecord latest = DateTimeRecord::of(w.year, w.month, w.day, w.hour, w.minute);
    for (const MemoryRecord& r : records) {
        const std::optional<DateTimeRecord> t = memoryRecordTime(r.timeText, latest);
        if (!t) {
            ++out.unreadable;
            continue;
        }
        const ZonedTime at = resolver.resolve({t->year, t->month, t->day, t->hour, t->minute, 0});
        PanelRecordRow row;
        row.utc = at.utc;
        row.offset = at.offset;
        if (r.hasTemperature()) {
            row.values[slot(Quantity::TEMP)] =
                measured(MemoryQuantity::Temperature, r.temperatureTenths, 1);
            row.values[slot(Quantity::RH)] =
                measured(MemoryQuantity::Humidity, r.humidityTenths, 1);
        }
        if (r.hasPressureValue()) {
            row.values[slot(Quantity::PRESS)] =
                measured(MemoryQuantity::Pressure, r.pressureTenths, 1);
        }
        if (r.hasWind) {
            row.values[slot(Quantity::SPEED)] = measured(MemoryQuantity::Speed, r.speedTenths, 1);
            row.values[slot(Quantity::ORIENT)] =
                measured(MemoryQuantity::Direction, r.directionDegrees, 10);
        }
        out.rows.push_back(row);
    }
    return out;
}
