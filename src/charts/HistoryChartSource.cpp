#include "charts/HistoryChartSource.h"

#include "charts/HistoryChartRows.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryFailure.h"
#include "history/LocalTimeResolver.h"
#include "history/QtZoneRules.h"

#include <QFileInfo>
#include <algorithm>

namespace {

// Opens the file for reading; false with `error` set when it exists but
// cannot be read, false with `error` empty when there is none yet.
bool openHistory(HistoryDatabase& db, const QString& path, std::string& error) {
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        return false;
    }
    if (!db.open(path, HistoryDatabase::Mode::Read)) {
        error = historyFailureCause(db.lastFailure().code, db.lastFailure().text.toStdString());
        return false;
    }
    return true;
}

template <typename Result> void noteFailure(const HistoryDatabase& db, Result& result) {
    if (db.lastFailure().code != 0 || !db.lastFailure().text.isEmpty()) {
        result.error =
            historyFailureCause(db.lastFailure().code, db.lastFailure().text.toStdString());
    }
}

template <typename Row> std::vector<ChartRow> chartRows(const std::vector<Row>& rows) {
    std::vector<ChartRow> out;
    out.reserve(rows.size());
    for (const Row& r : rows) {
        out.push_back(chartRowOf(r));
    }
    return out;
}

// A long range a few days at a time: a year of the history's rows at once
// would be a hundred megabytes, grown by copying, only to be converted and
// dropped. Stops at the first failed read (see noteFailure).
template <typename Read>
std::vector<ChartRow> chartRowsInSteps(const HistoryDatabase& db, std::int64_t from,
                                       std::int64_t to, std::int64_t rowSeconds, Read read) {
    std::vector<ChartRow> out;
    const std::int64_t expected = (to - from) / rowSeconds + 1;
    out.reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(expected, 0, 1 << 20)));
    const std::int64_t step = 4096 * rowSeconds;
    for (std::int64_t t = from; t < to; t += step) {
        for (const auto& r : read(t, std::min(to, t + step))) {
            out.push_back(chartRowOf(r));
        }
        if (db.lastFailure().code != 0 || !db.lastFailure().text.isEmpty()) {
            break;
        }
    }
    return out;
}

// The offset in force at the local midnight that starts `day`.
std::int32_t offsetAtMidnight(const ZoneRules& zone, std::int32_t day) {
    const std::int64_t wall = std::int64_t{day} * 86400;
    return zone.offsetAt(wall - zone.offsetAt(wall));
}

} // namespace

void HistoryChartSource::setPath(const QString& path) {
    const std::lock_guard lock(mutex_);
    path_ = path;
}

QString HistoryChartSource::path() const {
    const std::lock_guard lock(mutex_);
    return path_;
}

ChartSource::Rows HistoryChartSource::rows(std::int64_t from, std::int64_t to,
                                           Resolution resolution) {
    Rows result;
    HistoryDatabase db;
    if (!openHistory(db, path(), result.error) || from >= to) {
        return result;
    }
    switch (resolution) {
    case Resolution::Raw:
        result.rows = chartRowsInSteps(
            db, from, to, 1, [&db](std::int64_t a, std::int64_t b) { return db.rawRows(a, b); });
        break;
    case Resolution::Minute:
        result.rows = chartRowsInSteps(db, from, to, 60, [&db](std::int64_t a, std::int64_t b) {
            return db.minuteRows(a, b);
        });
        break;
    case Resolution::Day: {
        const QtZoneRules zone;
        const std::int32_t first = localDay(from, zone.offsetAt(from));
        const std::int32_t last = localDay(to - 1, zone.offsetAt(to - 1));
        for (const DaySummary& d : db.daySummaries(first, last)) {
            const ChartRow row = chartRowOf(d, offsetAtMidnight(zone, d.day));
            if (row.utc >= from && row.utc < to) {
                result.rows.push_back(row);
            }
        }
        break;
    }
    }
    noteFailure(db, result);
    if (!result.error.empty()) {
        result.rows.clear();
    }
    return result;
}

ChartSource::Rows HistoryChartSource::panelRecords(std::int64_t from, std::int64_t to) {
    Rows result;
    HistoryDatabase db;
    if (openHistory(db, path(), result.error) && from < to) {
        result.rows = chartRows(db.panelRecords(from, to));
        noteFailure(db, result);
    }
    return result;
}

ChartSource::Days HistoryChartSource::days(std::int32_t fromDay, std::int32_t toDay) {
    Days result;
    HistoryDatabase db;
    if (openHistory(db, path(), result.error) && fromDay <= toDay) {
        for (const DaySummary& d : db.daySummaries(fromDay, toDay)) {
            result.days.push_back(dayRowOf(d));
        }
        noteFailure(db, result);
    }
    return result;
}
