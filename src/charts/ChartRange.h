#pragma once

#include "charts/ChartRows.h"

#include <cstdint>

// The ranges of the chart window's buttons; Custom is one the user gave or
// reached by zooming and panning.
enum class ChartRange { LastHour, Day, Week, Month, Year, Custom };

// A stretch of time, from <= t < to, in seconds since 1970.
struct TimeSpan {
    std::int64_t from = 0;
    std::int64_t to = 0;

    std::int64_t length() const { return to - from; }
    friend bool operator==(const TimeSpan&, const TimeSpan&) = default;
};

namespace ChartLimits {
// The shortest view: a minute; the longest: a century (drawn from days).
inline constexpr std::int64_t kMinSpan = 60;
inline constexpr std::int64_t kMaxSpan = std::int64_t{100} * 366 * 86400;
// Raw seconds up to three hours, minutes up to 400 days, days beyond.
inline constexpr std::int64_t kRawUpTo = 3 * 3600;
inline constexpr std::int64_t kMinutesUpTo = std::int64_t{400} * 86400;
// Times the chart can show: 1970 to 2200.
inline constexpr std::int64_t kEarliest = 0;
inline constexpr std::int64_t kLatest = std::int64_t{7258118400};
} // namespace ChartLimits

// The range ending at `now`; Custom gives the last 24 hours.
TimeSpan spanOf(ChartRange range, std::int64_t now);

// A span made sound: ends swapped when reversed, at least kMinSpan and at most
// kMaxSpan long, within kEarliest..kLatest.
TimeSpan sanitized(TimeSpan span);

// `factor` < 1 zooms in, > 1 out, keeping the moment at `anchor` (0 the left
// edge, 1 the right) where it is.
TimeSpan zoomed(TimeSpan span, double factor, double anchor);
// Moves the span by `fraction` of its length (negative: into the past).
TimeSpan panned(TimeSpan span, double fraction);

// The rows a view is drawn from.
Resolution resolutionFor(TimeSpan view);
// What to load for a view: the view and half its length (at most a week) on
// each side, so that panning a little needs no new reading.
TimeSpan loadSpanFor(TimeSpan view);
// Whether a view can be drawn from rows loaded for `loaded` at `resolution`.
bool coveredBy(TimeSpan view, TimeSpan loaded, Resolution resolution);
