#pragma once

#include "protocol/Quantity.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

// The rows of the measurement history. Values are kept in tenths of their
// unit (°C, %, hPa, m/s, and the wind direction in tenths of a degree), so
// that what the panel reported is stored exactly; an unknown value is empty,
// never 0. Times are whole seconds since 1970 in UTC, each with the local
// offset (seconds east of UTC) that was in force at that moment.
using StoredValue = std::optional<std::int32_t>;

// A reading's value in tenths of its unit.
inline std::int32_t toTenths(double value) {
    return static_cast<std::int32_t>(std::lround(value * 10.0));
}

// A stored value in the quantity's unit.
inline double inUnits(std::int32_t tenths) {
    return tenths / 10.0;
}

inline std::size_t slot(Quantity q) {
    return static_cast<std::size_t>(quantityIndex(q));
}

// One second of readings: the last complete reading of that second.
struct RawRow {
    std::int64_t utc = 0;
    std::int32_t offset = 0;
    std::array<StoredValue, 5> values{}; // by quantityIndex

    friend bool operator==(const RawRow&, const RawRow&) = default;
};

// One quantity over a minute: how many seconds had a value, and their
// extremes and mean. For the wind direction the mean is the vector mean of
// the non-calm seconds, and minimum and maximum are the ends of the smallest
// arc that holds all of them, clockwise from minimum to maximum (a minimum
// above the maximum means the arc crosses north).
struct QuantityAggregate {
    std::int32_t count = 0;
    StoredValue min;
    StoredValue mean;
    StoredValue max;

    friend bool operator==(const QuantityAggregate&, const QuantityAggregate&) = default;
};

// Where a minute row came from.
enum class RowSource : std::int32_t {
    Live = 0,   // the readings of the link, aggregated from the raw rows
    Import = 1, // lines of a recording file
};

// One minute of readings, kept for good. `utc` is the minute's first second.
struct MinuteRow {
    std::int64_t utc = 0;
    std::int32_t offset = 0;
    RowSource source = RowSource::Live;
    std::array<QuantityAggregate, 5> quantities{}; // by quantityIndex
    // The wind direction of the second with the highest speed; empty when it
    // was calm or the direction unknown.
    StoredValue directionAtMaxSpeed;

    friend bool operator==(const MinuteRow&, const MinuteRow&) = default;
};

// A record of the panel's own memory, stored as the panel kept it.
struct PanelRecordRow {
    std::int64_t utc = 0;
    std::int32_t offset = 0;
    std::array<StoredValue, 5> values{}; // by quantityIndex

    friend bool operator==(const PanelRecordRow&, const PanelRecordRow&) = default;
};

// One quantity over a local calendar day, from its minute rows: the lowest
// and highest minute values with the minute they occurred in (the first when
// they repeat) and the mean of all its seconds. For the wind direction only
// the count and the vector mean are given.
struct QuantityDay {
    std::int32_t count = 0;
    StoredValue min;
    std::int64_t minUtc = 0;
    StoredValue max;
    std::int64_t maxUtc = 0;
    StoredValue mean;

    friend bool operator==(const QuantityDay&, const QuantityDay&) = default;
};

struct DaySummary {
    std::int32_t day = 0;                    // local date, days since 1970-01-01
    std::array<QuantityDay, 5> quantities{}; // by quantityIndex
    // The wind direction when the day's highest speed was measured.
    StoredValue directionAtMaxSpeed;

    friend bool operator==(const DaySummary&, const DaySummary&) = default;
};
