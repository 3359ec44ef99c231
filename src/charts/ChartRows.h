#pragma once

#include "protocol/Quantity.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

// What the chart window draws and lists, in the quantities' own units (°C, %,
// hPa, m/s, degrees). An unknown value is NaN, never 0.
inline constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

// One quantity over a row's time: the lowest, mean and highest value. Single
// precision: a year of minutes is half a million rows, and the readings have
// at most five digits.
struct Band {
    float min = std::numeric_limits<float>::quiet_NaN();
    float mean = std::numeric_limits<float>::quiet_NaN();
    float max = std::numeric_limits<float>::quiet_NaN();

    bool known() const { return !std::isnan(mean); }
    static Band of(double v) {
        const auto f = static_cast<float>(v);
        return {f, f, f};
    }
};

// A second (the last reading of it), a minute (its aggregate) or a record of
// the panel's memory.
struct ChartRow {
    std::int64_t utc = 0;         // seconds since 1970, the start of the row's time
    std::int32_t offset = 0;      // local offset from UTC in force, seconds east
    std::int32_t seconds = 1;     // how long it covers: 1, 60, 86400, or 0 for a panel record
    std::array<Band, 5> values{}; // by quantityIndex

    const Band& operator[](Quantity q) const {
        return values[static_cast<std::size_t>(quantityIndex(q))];
    }
    Band& operator[](Quantity q) { return values[static_cast<std::size_t>(quantityIndex(q))]; }
};

// One quantity over a local day: its extremes with the moment they occurred,
// and its mean (for the wind direction only the mean).
struct DayValue {
    double min = kUnknown;
    std::int64_t minUtc = 0;
    double max = kUnknown;
    std::int64_t maxUtc = 0;
    double mean = kUnknown;
};

struct DayRow {
    std::int32_t day = 0;             // local date, days since 1970-01-01
    std::array<DayValue, 5> values{}; // by quantityIndex
    double directionAtMaxSpeed = kUnknown;

    const DayValue& operator[](Quantity q) const {
        return values[static_cast<std::size_t>(quantityIndex(q))];
    }
};

// The rows of a time range as the history gives them.
enum class Resolution { Raw, Minute, Day };

// Where the chart window reads the past from: the measurement history. Called
// from a worker thread, so that a long range never holds up the window or the
// polling. Each call returns the rows with from <= utc < to in time order;
// on failure `error` says why in Polish and the rows are empty.
class ChartSource {
public:
    virtual ~ChartSource() = default;

    struct Rows {
        std::vector<ChartRow> rows;
        std::string error;
    };
    struct Days {
        std::vector<DayRow> days;
        std::string error;
    };

    // Raw: one row a second; Minute: one a minute; Day: one a local day (its
    // extremes and mean), starting at its local midnight.
    virtual Rows rows(std::int64_t from, std::int64_t to, Resolution resolution) = 0;
    virtual Rows panelRecords(std::int64_t from, std::int64_t to) = 0;
    virtual Days days(std::int32_t fromDay, std::int32_t toDay) = 0;
};
