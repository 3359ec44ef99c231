#pragma once

#include "history/HistoryRows.h"
#include "protocol/Reading.h"

#include <cstdint>
#include <optional>

// Chooses what the history keeps of the readings the link delivers (about
// thirteen complete poll cycles a second): the last reading of each second as
// a raw row, and the end of each minute, when the minute's row is due. A
// second is known to be over when a reading of a later second arrives or the
// clock has passed it; a minute likewise. Seconds without a reading (the link
// is down) give no row.
class HistorySampler {
public:
    struct Output {
        std::optional<RawRow> raw;                // a second that is over
        std::optional<std::int64_t> closedMinute; // a minute that is over (its first second)

        bool empty() const { return !raw && !closedMinute; }
    };

    // A reading of a complete poll cycle, with the local offset in force at
    // its time. A raw row comes before the end of its minute.
    Output add(const Reading& reading, std::int32_t offset);
    // The clock at `nowUtc` (seconds since 1970): the second and the minute
    // that it has passed are over.
    Output tick(std::int64_t nowUtc);
    // The end of the run: the second and the minute in progress are over.
    Output finish();

    // Nothing waits for the clock.
    bool idle() const { return !pending_ && !openMinute_; }

    static std::int64_t minuteOf(std::int64_t utc);
    static RawRow rowOf(const Reading& reading, std::int32_t offset);

private:
    std::optional<RawRow> pending_;
    std::optional<std::int64_t> openMinute_;
};
