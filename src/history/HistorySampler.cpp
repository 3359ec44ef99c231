#include "history/HistorySampler.h"

#include <chrono>

std::int64_t HistorySampler::minuteOf(std::int64_t utc) {
    return utc - ((utc % 60) + 60) % 60;
}

RawRow HistorySampler::rowOf(const Reading& reading, std::int32_t offset) {
    RawRow row;
    row.utc = std::chrono::floor<std::chrono::seconds>(reading.time.time_since_epoch()).count();
    row.offset = offset;
    for (const Quantity q : kAllQuantities) {
        const QuantityReading& r = reading[q];
        if (r.known) {
            row.values[slot(q)] = toTenths(r.value);
        }
    }
    return row;
}

HistorySampler::Output HistorySampler::add(const Reading& reading, std::int32_t offset) {
    Output out;
    RawRow row = rowOf(reading, offset);
    if (pending_ && pending_->utc != row.utc) {
        out.raw = pending_;
    }
    const std::int64_t minute = minuteOf(row.utc);
    if (openMinute_ && *openMinute_ != minute) {
        out.closedMinute = openMinute_;
    }
    openMinute_ = minute;
    pending_ = std::move(row);
    return out;
}

HistorySampler::Output HistorySampler::tick(std::int64_t nowUtc) {
    Output out;
    if (pending_ && nowUtc > pending_->utc) {
        out.raw = std::move(pending_);
        pending_.reset();
    }
    if (!pending_ && openMinute_ && nowUtc >= *openMinute_ + 60) {
        out.closedMinute = openMinute_;
        openMinute_.reset();
    }
    return out;
}

HistorySampler::Output HistorySampler::finish() {
    Output out;
    out.raw = std::move(pending_);
    out.closedMinute = openMinute_;
    pending_.reset();
    openMinute_.reset();
    return out;
}
