#pragma once

#include "history/HistoryRows.h"

#include <cstdint>
#include <optional>
#include <span>

// The summary of the local calendar day `day` (days since 1970-01-01) from
// its minute rows; rows of other days are ignored, so a caller may hand in a
// wider range. No minute of the day: no summary.
std::optional<DaySummary> summarizeDay(std::int32_t day, std::span<const MinuteRow> minutes);
