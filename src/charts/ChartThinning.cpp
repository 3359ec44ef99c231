#include "charts/ChartThinning.h"

#include "charts/DerivedValues.h"

#include <algorithm>
#include <bitset>
#include <cmath>

namespace {

constexpr double kNaN = kUnknown;

// One column's worth of rows.
struct Column {
    double firstTime = 0.0;
    double lastEnd = 0.0;
    int rows = 0;
    std::array<double, 5> min{}, max{}, weightedSum{}, weight{};
    std::bitset<36> directionBands;
    std::vector<double> directionValues;

    void reset() {
        rows = 0;
        min.fill(kNaN);
        max.fill(kNaN);
        weightedSum.fill(0.0);
        weight.fill(0.0);
        directionBands.reset();
        directionValues.clear();
    }

    void add(const ChartRow& row) {
        const double start = static_cast<double>(row.utc);
        if (rows == 0) {
            firstTime = start;
        }
        lastEnd = start + std::max(row.seconds, 0);
        ++rows;
        const double w = std::max(row.seconds, 1);
        for (std::size_t q = 0; q < 5; ++q) {
            const Band& b = row.values[q];
            if (!b.known()) {
                continue;
            }
            const double lo = std::isnan(b.min) ? b.mean : b.min;
            const double hi = std::isnan(b.max) ? b.mean : b.max;
            min[q] = std::isnan(min[q]) ? lo : std::min(min[q], lo);
            max[q] = std::isnan(max[q]) ? hi : std::max(max[q], hi);
            weightedSum[q] += w * b.mean;
            weight[q] += w;
        }
        const Band& direction = row[Quantity::ORIENT];
        if (direction.known()) {
            double d = std::fmod(static_cast<double>(direction.mean), 360.0);
            if (d < 0.0) {
                d += 360.0;
            }
            const auto band = static_cast<std::size_t>(std::clamp(d / 10.0, 0.0, 35.0));
            if (!directionBands.test(band)) {
                directionBands.set(band);
                directionValues.push_back(d);
            }
        }
    }
};

void emitBreak(ChartSeries& s, double key) {
    s.keys.push_back(key);
    for (std::size_t q = 0; q < 5; ++q) {
        s.min[q].push_back(kNaN);
        s.mean[q].push_back(kNaN);
        s.max[q].push_back(kNaN);
    }
    s.dewPoint.push_back(kNaN);
    s.windChill.push_back(kNaN);
}

void emitColumn(ChartSeries& s, const Column& c) {
    const double key = c.rows == 1 ? c.firstTime : (c.firstTime + c.lastEnd) / 2.0;
    s.keys.push_back(key);
    std::array<double, 5> means{};
    for (std::size_t q = 0; q < 5; ++q) {
        means[q] = c.weight[q] > 0.0 ? c.weightedSum[q] / c.weight[q] : kNaN;
        s.min[q].push_back(c.min[q]);
        s.mean[q].push_back(means[q]);
        s.max[q].push_back(c.max[q]);
    }
    const double t = means[static_cast<std::size_t>(quantityIndex(Quantity::TEMP))];
    const double rh = means[static_cast<std::size_t>(quantityIndex(Quantity::RH))];
    const double v = means[static_cast<std::size_t>(quantityIndex(Quantity::SPEED))];
    s.dewPoint.push_back(dewPoint(t, rh).value_or(kNaN));
    s.windChill.push_back(windChill(t, v).value_or(kNaN));
    for (const double d : c.directionValues) {
        s.directionKeys.push_back(key);
        s.directions.push_back(d);
    }
}

} // namespace

bool isGap(const ChartRow& before, const ChartRow& after) {
    const std::int64_t step = after.utc - before.utc;
    switch (before.seconds) {
    case 0: // panel records are points of their own
        return false;
    case 1: // a second or two may pass without a complete reading
        return step > 3;
    default: // a missing minute or day; days of 23 and 25 hours are no gap
        return step > before.seconds + before.seconds / 2;
    }
}

ChartSeries thinRows(std::span<const ChartRow> rows, TimeSpan view, int columns) {
    ChartSeries series;
    if (columns <= 0 || view.length() <= 0 || rows.empty()) {
        return series;
    }
    const double width = static_cast<double>(view.length()) / columns;
    const double from = static_cast<double>(view.from) - width;
    const double to = static_cast<double>(view.to) + width;
    auto first = std::lower_bound(rows.begin(), rows.end(), from, [](const ChartRow& r, double t) {
        return static_cast<double>(r.utc) + std::max(r.seconds, 0) < t;
    });
    // Keep one row before the view so that the line reaches its edge.
    if (first != rows.begin()) {
        --first;
    }
    const std::size_t estimate = std::min<std::size_t>(
        static_cast<std::size_t>(columns) * 2 + 4, static_cast<std::size_t>(rows.end() - first));
    series.keys.reserve(estimate);
    for (std::size_t q = 0; q < 5; ++q) {
        series.min[q].reserve(estimate);
        series.mean[q].reserve(estimate);
        series.max[q].reserve(estimate);
    }

    Column column;
    column.reset();
    long long columnIndex = 0;
    const ChartRow* previous = nullptr;
    for (auto it = first; it != rows.end(); ++it) {
        const ChartRow& row = *it;
        const double start = static_cast<double>(row.utc);
        const auto index = static_cast<long long>(std::floor((start - view.from) / width));
        const bool gap = previous != nullptr && isGap(*previous, row);
        if (column.rows > 0 && (index != columnIndex || gap)) {
            emitColumn(series, column);
            column.reset();
            if (gap) {
                emitBreak(series, (static_cast<double>(previous->utc) + start) / 2.0);
            }
        }
        column.add(row);
        columnIndex = index;
        previous = &row;
        if (start > to) {
            break; // this row is the one after the view
        }
    }
    if (column.rows > 0) {
        emitColumn(series, column);
    }
    return series;
}

int rowAt(std::span<const ChartRow> rows, double t) {
    if (rows.empty() || std::isnan(t)) {
        return -1;
    }
    auto after = std::upper_bound(rows.begin(), rows.end(), t, [](double value, const ChartRow& r) {
        return value < static_cast<double>(r.utc);
    });
    if (after != rows.begin()) {
        const auto before = after - 1;
        const double end = static_cast<double>(before->utc) + std::max(before->seconds, 1);
        if (t < end || (after != rows.end() && !isGap(*before, *after))) {
            return static_cast<int>(before - rows.begin());
        }
    }
    if (after != rows.end()) {
        const double half = std::max(after->seconds, 1) / 2.0;
        if (static_cast<double>(after->utc) - t <= half) {
            return static_cast<int>(after - rows.begin());
        }
    }
    return -1;
}
