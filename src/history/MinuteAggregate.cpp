#include "history/MinuteAggregate.h"

#include "history/HistorySampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr std::int32_t kFullCircle = 3600; // tenths of a degree

std::int32_t roundedMean(std::int64_t sum, std::int64_t count) {
    return static_cast<std::int32_t>(std::lround(static_cast<double>(sum) / count));
}

QuantityAggregate plainAggregate(std::span<const RawRow> seconds, Quantity q) {
    QuantityAggregate a;
    std::int64_t sum = 0;
    for (const RawRow& s : seconds) {
        const StoredValue& v = s.values[slot(q)];
        if (!v) {
            continue;
        }
        ++a.count;
        sum += *v;
        a.min = a.min ? std::min(*a.min, *v) : *v;
        a.max = a.max ? std::max(*a.max, *v) : *v;
    }
    if (a.count > 0) {
        a.mean = roundedMean(sum, a.count);
    }
    return a;
}

// The smallest arc holding every direction: it starts after the widest gap
// between neighbours round the circle and ends before it.
void directionArc(std::vector<std::int32_t> tenths, QuantityAggregate& a) {
    std::sort(tenths.begin(), tenths.end());
    std::size_t widestAfter = tenths.size() - 1; // the gap across north
    std::int32_t widest = tenths.front() + kFullCircle - tenths.back();
    for (std::size_t i = 0; i + 1 < tenths.size(); ++i) {
        const std::int32_t gap = tenths[i + 1] - tenths[i];
        if (gap > widest) {
            widest = gap;
            widestAfter = i;
        }
    }
    a.max = tenths[widestAfter];
    a.min = tenths[(widestAfter + 1) % tenths.size()];
}

bool calm(const RawRow& s) {
    const StoredValue& speed = s.values[slot(Quantity::SPEED)];
    return speed && *speed == 0;
}

std::int32_t normalisedDirection(std::int32_t tenths) {
    return ((tenths % kFullCircle) + kFullCircle) % kFullCircle;
}

} // namespace

StoredValue vectorMeanDirection(std::span<const std::int32_t> tenths,
                                std::span<const std::int32_t> weights) {
    double x = 0.0;
    double y = 0.0;
    double total = 0.0;
    for (std::size_t i = 0; i < tenths.size(); ++i) {
        const double w = weights.empty() ? 1.0 : weights[i];
        const double angle = tenths[i] / 10.0 * std::numbers::pi / 180.0;
        x += w * std::cos(angle);
        y += w * std::sin(angle);
        total += w;
    }
    // Directions that cancel out (north and south alike) have no mean.
    if (total <= 0.0 || std::hypot(x, y) < 1e-6 * total) {
        return std::nullopt;
    }
    const double degrees = std::atan2(y, x) * 180.0 / std::numbers::pi;
    return normalisedDirection(static_cast<std::int32_t>(std::lround(degrees * 10.0)));
}

std::optional<MinuteRow> aggregateMinute(std::int64_t minuteUtc, std::span<const RawRow> seconds,
                                         RowSource source) {
    std::vector<RawRow> in;
    for (const RawRow& s : seconds) {
        if (HistorySampler::minuteOf(s.utc) == minuteUtc) {
            in.push_back(s);
        }
    }
    if (in.empty()) {
        return std::nullopt;
    }
    MinuteRow row;
    row.utc = minuteUtc;
    row.offset = in.front().offset;
    row.source = source;
    for (const Quantity q : {Quantity::TEMP, Quantity::RH, Quantity::PRESS, Quantity::SPEED}) {
        row.quantities[slot(q)] = plainAggregate(in, q);
    }

    // The direction when the wind was strongest (the first such second).
    const RawRow* strongest = nullptr;
    for (const RawRow& s : in) {
        const StoredValue& speed = s.values[slot(Quantity::SPEED)];
        if (speed && (!strongest || *speed > *strongest->values[slot(Quantity::SPEED)])) {
            strongest = &s;
        }
    }
    if (strongest && !calm(*strongest)) {
        const StoredValue& d = strongest->values[slot(Quantity::ORIENT)];
        if (d) {
            row.directionAtMaxSpeed = normalisedDirection(*d);
        }
    }

    std::vector<std::int32_t> directions;
    for (const RawRow& s : in) {
        const StoredValue& d = s.values[slot(Quantity::ORIENT)];
        if (d && !calm(s)) {
            directions.push_back(normalisedDirection(*d));
        }
    }
    QuantityAggregate& direction = row.quantities[slot(Quantity::ORIENT)];
    direction.count = static_cast<std::int32_t>(directions.size());
    if (!directions.empty()) {
        direction.mean = vectorMeanDirection(directions);
        directionArc(directions, direction);
    }
    return row;
}

std::optional<MinuteRow> MinuteGrouper::add(const RawRow& second) {
    std::optional<MinuteRow> done;
    if (!seconds_.empty() &&
        HistorySampler::minuteOf(seconds_.front().utc) != HistorySampler::minuteOf(second.utc)) {
        done = finish();
    }
    seconds_.push_back(second);
    return done;
}

std::optional<MinuteRow> MinuteGrouper::finish() {
    if (seconds_.empty()) {
        return std::nullopt;
    }
    std::optional<MinuteRow> row =
        aggregateMinute(HistorySampler::minuteOf(seconds_.front().utc), seconds_, source_);
    seconds_.clear();
    return row;
}
