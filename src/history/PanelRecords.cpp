#include "history/PanelRecords.h"

#include "recording/MemoryValueText.h"

#include <charconv>

namespace {

// Two decimal digits at `at`.
std::optional<int> twoDigits(std::string_view text, std::size_t at) {
    int value = 0;
    const char* begin = text.data() + at;
    const auto [end, error] = std::from_chars(begin, begin + 2, value);
    if (error != std::errc{} || end != begin + 2) {
        return std::nullopt;
    }
    return value;
}

StoredValue measured(MemoryQuantity q, int value, int tenthsPerUnit) {
    if (!memorySpecialText(q, value).empty()) {
        return std::nullopt;
    }
    return value * tenthsPerUnit;
}

} // namespace

std::optional<PanelTime> parsePanelTime(std::string_view t) {
    if (t.size() != 11 || t[2] != '-' || t[5] != ' ' || t[8] != ':') {
        return std::nullopt;
    }
    const auto month = twoDigits(t, 0);
    const auto day = twoDigits(t, 3);
    const auto hour = twoDigits(t, 6);
    const auto minute = twoDigits(t, 9);
    if (!month || !day || !hour || !minute) {
        return std::nullopt;
    }
    return PanelTime{*month, *day, *hour, *minute};
}

std::optional<LocalDateTime> recordDateTime(const PanelTime& time, const LocalDateTime& download) {
    const LocalDateTime latest = wallTime(wallSeconds(download) + kPanelClockAheadSeconds);
    // A 29 February may need up to eight years back (1896 to 1904 had none);
    // any other real date is found in this year or the one before.
    for (int year = latest.year; year >= latest.year - 8; --year) {
        const LocalDateTime candidate{year, time.month, time.day, time.hour, time.minute, 0};
        if (isValid(candidate) && wallSeconds(candidate) <= wallSeconds(latest)) {
            return candidate;
        }
    }
    return std::nullopt;
}

PanelRecordRows panelRecordRows(const std::vector<MemoryRecord>& records,
                                const LocalDateTime& download, const ZoneRules& zone) {
    PanelRecordRows out;
    LocalTimeResolver resolver(zone);
    for (const MemoryRecord& r : records) {
        const std::optional<PanelTime> time = parsePanelTime(r.timeText);
        const std::optional<LocalDateTime> local =
            time ? recordDateTime(*time, download) : std::nullopt;
        if (!local) {
            ++out.unreadable;
            continue;
        }
        const ZonedTime at = resolver.resolve(*local);
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
