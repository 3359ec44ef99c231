#pragma once

#include "history/HistoryRows.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QSqlQuery;

// The measurement history's SQLite file through Qt SQL: the tables, the
// writes (each one transaction) and the reads. It only stores: what is kept
// and how it is aggregated are the core's rules (HistorySampler,
// aggregateMinute, summarizeDay). Used from one thread, the one that opened
// it; a reader in another thread opens its own.
//
// Tables: `raw` (one row a second, kept for a number of hours), `minute`
// (one row a minute, kept for good), `panel` (the panel memory's records),
// `day` (a summary of each local day, recomputed from its minutes whenever
// one of them changes). Times are UTC seconds with the local offset in force.
// Values are integers in tenths, NULL when unknown; the raw and minute rows
// keep theirs in one compact column each (RowCodec), the many rows a chart
// reads back at once.
class HistoryDatabase {
public:
    enum class Mode { Write, Read };

    // Why the last operation failed: SQLite's result code and the driver's text.
    struct Failure {
        int code = 0;
        QString text;
        // The file is no database or is damaged inside.
        bool damaged() const { return code == 11 || code == 26; }
    };

    HistoryDatabase();
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // Opens the file. Writing creates its folder, the file and the tables,
    // and completes the minute rows that a run which ended abruptly left
    // undone (from its raw rows). Reading never creates anything.
    bool open(const QString& path, Mode mode);
    void close();
    bool isOpen() const;
    QString path() const { return path_; }
    // Each commit waits for the disk (synchronous=FULL) instead of reaching
    // the log only: survives a power cut too, at a cost the benchmark shows.
    bool setWaitForTheDisk(bool wait);
    const Failure& lastFailure() const { return failure_; }

    // The seconds that are over and the minutes that are over (each minute
    // row is made from the raw rows of that minute, also those of an earlier
    // run, and its day is summarised again); raw rows before `purgeBefore`
    // are dropped. One transaction.
    bool write(std::span<const RawRow> seconds, std::span<const std::int64_t> closedMinutes,
               std::int64_t purgeBefore);
    // Records of the panel memory; a record already stored (same minute) is
    // left as it is. `added` receives the number of new records.
    bool addPanelRecords(std::span<const PanelRecordRow> records, std::int64_t downloadedUtc,
                         int& added);
    // Minute rows of an import; a minute already in the history is left as it
    // is. `added` receives the number of new minutes.
    bool addMinutes(std::span<const MinuteRow> minutes, int& added);
    // Every row of every table; the file shrinks.
    bool clear();

    // Reading: rows with from <= utc < to (days: fromDay <= day <= toDay), in
    // time order. On failure the result is empty and lastFailure() says why.
    std::vector<RawRow> rawRows(std::int64_t from, std::int64_t to);
    std::vector<MinuteRow> minuteRows(std::int64_t from, std::int64_t to);
    std::vector<PanelRecordRow> panelRecords(std::int64_t from, std::int64_t to);
    std::vector<DaySummary> daySummaries(std::int32_t fromDay, std::int32_t toDay);

    // The first and last moment the history holds (any table).
    struct Extent {
        std::optional<std::int64_t> first;
        std::optional<std::int64_t> last;
    };
    Extent extent();

    // The file with its write-ahead log, in bytes.
    static qint64 fileSize(const QString& path);

private:
    bool createTables();
    bool completeUnfinishedMinutes();
    // Local days to summarise again, each with an offset in force on it.
    using DayHints = std::map<std::int32_t, std::int32_t>;
    bool storeMinute(std::int64_t minuteUtc, RowSource source, DayHints& days);
    bool summarizeDays(const DayHints& days);
    bool insertMinute(QSqlQuery& query, const MinuteRow& row);
    bool prepare(QSqlQuery& query, const QString& sql);
    bool run(QSqlQuery& query);
    bool runSql(const QString& sql);
    bool fail(const QSqlQuery& query);
    bool inTransaction(const std::function<bool()>& work);

    QString connection_;
    QString path_;
    Failure failure_;
    struct Statements;
    std::unique_ptr<Statements> statements_;
};
