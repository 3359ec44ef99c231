#include "charts/HistoryChartRows.h"

namespace {

constexpr std::size_t kDirection = 4;
static_assert(kDirection == static_cast<std::size_t>(quantityIndex(Quantity::ORIENT)));

double units(const StoredValue& v) {
    return v ? inUnits(*v) : kUnknown;
}

Band bandOf(const StoredValue& min, const StoredValue& mean, const StoredValue& max) {
    if (!mean) {
        return {};
    }
    const auto f = [&mean](const StoredValue& v) {
        return static_cast<float>(units(v ? v : mean));
    };
    return {f(min), f(mean), f(max)};
}

ChartRow pointRow(std::int64_t utc, std::int32_t offset, int seconds,
                  const std::array<StoredValue, 5>& values) {
    ChartRow row;
    row.utc = utc;
    row.offset = offset;
    row.seconds = seconds;
    for (std::size_t q = 0; q < values.size(); ++q) {
        if (values[q]) {
            row.values[q] = Band::of(units(values[q]));
        }
    }
    return row;
}

} // namespace

ChartRow chartRowOf(const RawRow& second) {
    return pointRow(second.utc, second.offset, 1, second.values);
}

ChartRow chartRowOf(const PanelRecordRow& record) {
    return pointRow(record.utc, record.offset, 0, record.values);
}

ChartRow chartRowOf(const MinuteRow& minute) {
    ChartRow row;
    row.utc = minute.utc;
    row.offset = minute.offset;
    row.seconds = 60;
    for (std::size_t q = 0; q < row.values.size(); ++q) {
        const QuantityAggregate& a = minute.quantities[q];
        if (a.count <= 0) {
            continue;
        }
        row.values[q] = q == kDirection ? bandOf({}, a.mean, {}) : bandOf(a.min, a.mean, a.max);
    }
    return row;
}

DayRow dayRowOf(const DaySummary& day) {
    DayRow row;
    row.day = day.day;
    for (std::size_t q = 0; q < row.values.size(); ++q) {
        const QuantityDay& d = day.quantities[q];
        if (d.count <= 0) {
            continue;
        }
        row.values[q] = {units(d.min), d.minUtc, units(d.max), d.maxUtc, units(d.mean)};
    }
    row.directionAtMaxSpeed = units(day.directionAtMaxSpeed);
    return row;
}

ChartRow chartRowOf(const DaySummary& day, std::int32_t offset) {
    ChartRow row;
    row.utc = std::int64_t{day.day} * 86400 - offset;
    row.offset = offset;
    row.seconds = 86400;
    for (std::size_t q = 0; q < row.values.size(); ++q) {
        const QuantityDay& d = day.quantities[q];
        if (d.count > 0) {
            row.values[q] = q == kDirection ? bandOf({}, d.mean, {}) : bandOf(d.min, d.mean, d.max);
        }
    }
    return row;
}
