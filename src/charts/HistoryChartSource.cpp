#include "charts/HistoryChartSource.h"

#include "charts/HistoryChartRows.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryFailure.h"
#include "history/LocalTimeResolver.h"
#include "history/QtZoneRules.h"

#include <QFileInfo>

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
        result.rows = chartRows(db.rawRows(from, to));
        break;
    case Resolution::Minute:
        result.rows = chartRows(db.minuteRows(from, to));
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
