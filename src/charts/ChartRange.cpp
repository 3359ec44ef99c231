#include "charts/ChartRange.h"

#include <algorithm>
#include <cmath>

using namespace ChartLimits;

TimeSpan spanOf(ChartRange range, std::int64_t now) {
    std::int64_t length = 86400;
    switch (range) {
    case ChartRange::LastHour:
        length = 3600;
        break;
    case ChartRange::Day:
    case ChartRange::Custom:
        length = 86400;
        break;
    case ChartRange::Week:
        length = 7 * 86400;
        break;
    case ChartRange::Month:
        length = 30 * 86400;
        break;
    case ChartRange::Year:
        length = 365 * 86400;
        break;
    }
    return sanitized({now - length, now});
}

TimeSpan sanitized(TimeSpan span) {
    if (span.to < span.from) {
        std::swap(span.from, span.to);
    }
    span.from = std::clamp(span.from, kEarliest, kLatest);
    span.to = std::clamp(span.to, kEarliest, kLatest);
    if (span.length() > kMaxSpan) {
        span.from = span.to - kMaxSpan;
    }
    if (span.length() < kMinSpan) {
        const std::int64_t middle = span.from + span.length() / 2;
        span = {middle - kMinSpan / 2, middle - kMinSpan / 2 + kMinSpan};
        if (span.from < kEarliest) {
            span = {kEarliest, kEarliest + kMinSpan};
        } else if (span.to > kLatest) {
            span = {kLatest - kMinSpan, kLatest};
        }
    }
    return span;
}

TimeSpan zoomed(TimeSpan span, double factor, double anchor) {
    if (!std::isfinite(factor) || factor <= 0.0 || !std::isfinite(anchor)) {
        return span;
    }
    anchor = std::clamp(anchor, 0.0, 1.0);
    const double length = static_cast<double>(span.length());
    const double newLength =
        std::clamp(length * factor, static_cast<double>(kMinSpan), static_cast<double>(kMaxSpan));
    const double at = static_cast<double>(span.from) + anchor * length;
    const auto from = static_cast<std::int64_t>(std::llround(at - anchor * newLength));
    const TimeSpan result{from, from + static_cast<std::int64_t>(std::llround(newLength))};
    // At an end of time the span keeps its new length and moves inward.
    if (result.from < kEarliest) {
        return sanitized({kEarliest, kEarliest + result.length()});
    }
    if (result.to > kLatest) {
        return sanitized({kLatest - result.length(), kLatest});
    }
    return sanitized(result);
}

TimeSpan panned(TimeSpan span, double fraction) {
    if (!std::isfinite(fraction)) {
        return span;
    }
    const double shift = std::clamp(fraction * static_cast<double>(span.length()),
                                    -static_cast<double>(kLatest), static_cast<double>(kLatest));
    std::int64_t by = std::llround(shift);
    by = std::clamp(by, kEarliest - span.from, kLatest - span.to);
    return {span.from + by, span.to + by};
}

Resolution resolutionFor(TimeSpan view) {
    if (view.length() <= kRawUpTo) {
        return Resolution::Raw;
    }
    if (view.length() <= kMinutesUpTo) {
        return Resolution::Minute;
    }
    return Resolution::Day;
}

TimeSpan loadSpanFor(TimeSpan view) {
    // At most a week each side: a year of minutes is as much as is read at once.
    const std::int64_t margin = std::min<std::int64_t>(view.length() / 2, 7 * 86400);
    return {std::max(kEarliest, view.from - margin), std::min(kLatest, view.to + margin)};
}

bool coveredBy(TimeSpan view, TimeSpan loaded, Resolution resolution) {
    return resolutionFor(view) == resolution && view.from >= loaded.from && view.to <= loaded.to;
}
