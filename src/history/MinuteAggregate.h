#pragma once

#include "history/HistoryRows.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The minute row of the seconds (raw rows, or the lines of a recording file)
// that fall into the minute starting at `minuteUtc`; rows outside it are
// ignored. No second in the minute: no row, since a gap is no data. A calm
// second (speed 0) has no wind direction.
std::optional<MinuteRow> aggregateMinute(std::int64_t minuteUtc, std::span<const RawRow> seconds,
                                         RowSource source);

// The wind directions' vector mean in tenths of a degree (0..3599), weighted
// by `weights` when given; empty when there is none or they cancel out.
StoredValue vectorMeanDirection(std::span<const std::int32_t> tenths,
                                std::span<const std::int32_t> weights = {});

// Collects seconds that arrive in time order into minute rows: a row is
// handed out when a second of another minute arrives, and by finish().
class MinuteGrouper {
public:
    explicit MinuteGrouper(RowSource source) : source_(source) {}

    std::optional<MinuteRow> add(const RawRow& second);
    std::optional<MinuteRow> finish();

private:
    RowSource source_;
    std::vector<RawRow> seconds_;
};
