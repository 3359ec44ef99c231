#include "history/DaySummaries.h"

#include "history/LocalTimeResolver.h"
#include "history/MinuteAggregate.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QuantityDay plainDay(std::span<const MinuteRow* const> minutes, Quantity q) {
    QuantityDay d;
    std::int64_t weighted = 0;
    for (const MinuteRow* m : minutes) {
        const QuantityAggregate& a = m->quantities[slot(q)];
        if (a.count <= 0 || !a.mean || !a.min || !a.max) {
            continue;
        }
        d.count += a.count;
        weighted += std::int64_t{a.count} * *a.mean;
        // Minutes come in time order: the first of equal extremes stays.
        if (!d.min || *a.min < *d.min) {
            d.min = a.min;
            d.minUtc = m->utc;
        }
        if (!d.max || *a.max > *d.max) {
            d.max = a.max;
            d.maxUtc = m->utc;
        }
    }
    if (d.count > 0) {
        d.mean = static_cast<std::int32_t>(std::lround(static_cast<double>(weighted) / d.count));
    }
    return d;
}

} // namespace

std::optional<DaySummary> summarizeDay(std::int32_t day, std::span<const MinuteRow> minutes) {
    std::vector<const MinuteRow*> ofDay;
    for (const MinuteRow& m : minutes) {
        if (localDay(m.utc, m.offset) == day) {
            ofDay.push_back(&m);
        }
    }
    if (ofDay.empty()) {
        return std::nullopt;
    }
    std::sort(ofDay.begin(), ofDay.end(),
              [](const MinuteRow* a, const MinuteRow* b) { return a->utc < b->utc; });
    DaySummary s;
    s.day = day;
    for (const Quantity q : {Quantity::TEMP, Quantity::RH, Quantity::PRESS, Quantity::SPEED}) {
        s.quantities[slot(q)] = plainDay(ofDay, q);
    }
    const QuantityDay& speed = s.quantities[slot(Quantity::SPEED)];
    if (speed.max) {
        for (const MinuteRow* m : ofDay) {
            if (m->utc == speed.maxUtc) {
                s.directionAtMaxSpeed = m->directionAtMaxSpeed;
            }
        }
    }
    // The day's direction: the minutes' mean directions as vectors, each
    // weighted by its number of seconds.
    std::vector<std::int32_t> directions;
    std::vector<std::int32_t> weights;
    QuantityDay& direction = s.quantities[slot(Quantity::ORIENT)];
    for (const MinuteRow* m : ofDay) {
        const QuantityAggregate& a = m->quantities[slot(Quantity::ORIENT)];
        if (a.count > 0 && a.mean) {
            directions.push_back(*a.mean);
            weights.push_back(a.count);
            direction.count += a.count;
        }
    }
    direction.mean = vectorMeanDirection(directions, weights);
    return s;
}
