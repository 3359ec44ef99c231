#include "history/HistoryDatabase.h"

#include "history/DaySummaries.h"
#include "history/HistorySampler.h"
#include "history/LocalTimeResolver.h"
#include "history/MinuteAggregate.h"
#include "history/RowCodec.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <limits>

namespace {

// Column stems by quantityIndex (TEMP, RH, PRESS, SPEED, ORIENT).
const std::array<QString, 5> kStems{QStringLiteral("temp"), QStringLiteral("rh"),
                                    QStringLiteral("press"), QStringLiteral("speed"),
                                    QStringLiteral("dir")};

constexpr int kSchemaVersion = 1;
// The most a local day's offset can change within the day.
constexpr std::int64_t kOffsetChangeMargin = 2 * 3600;

QString columns(const QStringList& suffixes, bool withType) {
    QStringList out;
    for (const QString& stem : kStems) {
        for (const QString& suffix : suffixes) {
            out << stem + suffix + (withType ? QStringLiteral(" INTEGER") : QString());
        }
    }
    return out.join(QStringLiteral(", "));
}

const QStringList kDaySuffixes{QStringLiteral("_n"),       QStringLiteral("_min"),
                               QStringLiteral("_min_utc"), QStringLiteral("_max"),
                               QStringLiteral("_max_utc"), QStringLiteral("_mean")};

QString placeholders(int count) {
    QStringList marks;
    for (int i = 0; i < count; ++i) {
        marks << QStringLiteral("?");
    }
    return marks.join(QLatin1Char(','));
}

QVariant blob(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string_view bytesOf(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}

QVariant bindable(const StoredValue& v) {
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<int>());
}

StoredValue stored(const QVariant& v) {
    if (v.isNull()) {
        return std::nullopt;
    }
    return v.toInt();
}

int sqliteCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : 0;
}

} // namespace

struct HistoryDatabase::Statements {
    QSqlQuery insertRaw;
    QSqlQuery selectRawRange;
    QSqlQuery insertMinute;
    QSqlQuery insertMinuteIfNew;
    QSqlQuery selectMinuteRange;
    QSqlQuery insertDay;
    QSqlQuery purgeRaw;
    QSqlQuery insertPanel;
};

HistoryDatabase::HistoryDatabase() {
    static QAtomicInt counter;
    connection_ = QStringLiteral("tq820-history-%1").arg(counter.fetchAndAddRelaxed(1));
}

HistoryDatabase::~HistoryDatabase() {
    close();
}

bool HistoryDatabase::isOpen() const {
    return statements_ != nullptr;
}

void HistoryDatabase::close() {
    statements_.reset();
    if (QSqlDatabase::contains(connection_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(connection_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool HistoryDatabase::open(const QString& path, Mode mode) {
    close();
    path_ = path;
    failure_ = {};
    if (mode == Mode::Write && !QDir().mkpath(QFileInfo(path).absolutePath())) {
        failure_ = {14, QStringLiteral("nie można utworzyć folderu")};
        return false;
    }
    if (mode == Mode::Read && !QFileInfo::exists(path)) {
        failure_ = {14, QStringLiteral("plik nie istnieje")};
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(path);
        db.setConnectOptions(mode == Mode::Read
                                 ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000")
                                 : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        if (!db.open()) {
            failure_ = {sqliteCode(db.lastError()), db.lastError().driverText()};
            if (failure_.code == 0) {
                failure_.code = 14;
            }
            close();
            return false;
        }
    }
    statements_ = std::make_unique<Statements>();
    const bool ready = mode == Mode::Read
                           ? runSql(QStringLiteral("SELECT count(*) FROM sqlite_master"))
                           : runSql(QStringLiteral("PRAGMA journal_mode=WAL")) &&
                                 // A commit reaches the log without waiting for the disk: a
                                 // crash of the program keeps it, and only a power cut may
                                 // take the last commits, never the file's consistency.
                                 runSql(QStringLiteral("PRAGMA synchronous=NORMAL")) &&
                                 createTables();
    if (!ready) {
        const Failure why = failure_;
        close();
        failure_ = why;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    Statements& s = *statements_;
    for (QSqlQuery* q : {&s.insertRaw, &s.selectRawRange, &s.insertMinute, &s.insertMinuteIfNew,
                         &s.selectMinuteRange, &s.insertDay, &s.purgeRaw, &s.insertPanel}) {
        *q = QSqlQuery(db);
        q->setForwardOnly(true);
    }
    const bool prepared =
        prepare(s.selectRawRange,
                QStringLiteral("SELECT utc, offset, v FROM raw WHERE utc >= ? AND utc < ? "
                               "ORDER BY utc")) &&
        prepare(s.selectMinuteRange, QStringLiteral("SELECT utc, offset, source, v FROM minute "
                                                    "WHERE utc >= ? AND utc < ? ORDER BY utc")) &&
        (mode == Mode::Read ||
         (prepare(s.insertRaw, QStringLiteral("INSERT OR REPLACE INTO raw VALUES (?,?,?)")) &&
          prepare(s.insertMinute,
                  QStringLiteral("INSERT OR REPLACE INTO minute VALUES (?,?,?,?)")) &&
          prepare(s.insertMinuteIfNew,
                  QStringLiteral("INSERT OR IGNORE INTO minute VALUES (?,?,?,?)")) &&
          prepare(s.insertDay,
                  QStringLiteral("INSERT OR REPLACE INTO day VALUES (%1)").arg(placeholders(32))) &&
          prepare(s.purgeRaw, QStringLiteral("DELETE FROM raw WHERE utc < ?")) &&
          prepare(s.insertPanel,
                  QStringLiteral("INSERT OR IGNORE INTO panel VALUES (?,?,?,?,?,?,?,?)")) &&
          inTransaction([this] { return completeUnfinishedMinutes(); })));
    if (!prepared) {
        const Failure why = failure_;
        close();
        failure_ = why;
        return false;
    }
    return true;
}

bool HistoryDatabase::setWaitForTheDisk(bool wait) {
    return isOpen() && runSql(wait ? QStringLiteral("PRAGMA synchronous=FULL")
                                   : QStringLiteral("PRAGMA synchronous=NORMAL"));
}

bool HistoryDatabase::createTables() {
    QSqlQuery version(QSqlDatabase::database(connection_, false));
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next()) {
        return fail(version);
    }
    if (version.value(0).toInt() >= kSchemaVersion) {
        return true;
    }
    return inTransaction([this] {
        return runSql(QStringLiteral("CREATE TABLE IF NOT EXISTS raw (utc INTEGER PRIMARY KEY, "
                                     "offset INTEGER NOT NULL, v BLOB NOT NULL)")) &&
               runSql(QStringLiteral("CREATE TABLE IF NOT EXISTS minute (utc INTEGER PRIMARY "
                                     "KEY, offset INTEGER NOT NULL, source INTEGER NOT NULL, "
                                     "v BLOB NOT NULL)")) &&
               runSql(QStringLiteral("CREATE TABLE IF NOT EXISTS panel (utc INTEGER PRIMARY KEY, "
                                     "offset INTEGER NOT NULL, downloaded INTEGER NOT NULL, %1)")
                          .arg(columns({QString()}, true))) &&
               runSql(QStringLiteral("CREATE TABLE IF NOT EXISTS day (day INTEGER PRIMARY KEY, "
                                     "%1, speed_max_dir INTEGER)")
                          .arg(columns(kDaySuffixes, true))) &&
               runSql(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion));
    });
}

bool HistoryDatabase::prepare(QSqlQuery& query, const QString& sql) {
    return query.prepare(sql) || fail(query);
}

bool HistoryDatabase::run(QSqlQuery& query) {
    return query.exec() || fail(query);
}

bool HistoryDatabase::runSql(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    return query.exec(sql) || fail(query);
}

bool HistoryDatabase::fail(const QSqlQuery& query) {
    failure_ = {sqliteCode(query.lastError()), query.lastError().driverText()};
    if (failure_.text.isEmpty()) {
        failure_.text = query.lastError().databaseText();
    }
    if (failure_.code == 0) {
        failure_.code = -1; // a failure all the same
    }
    return false;
}

bool HistoryDatabase::inTransaction(const std::function<bool()>& work) {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.transaction()) {
        failure_ = {sqliteCode(db.lastError()), db.lastError().driverText()};
        return false;
    }
    if (work() && db.commit()) {
        return true;
    }
    if (failure_.code == 0) {
        failure_ = {sqliteCode(db.lastError()), db.lastError().driverText()};
    }
    const Failure why = failure_;
    db.rollback();
    failure_ = why;
    return false;
}

bool HistoryDatabase::completeUnfinishedMinutes() {
    // Live minute rows are made when their minute is over; the raw rows after
    // the last of them belong to minutes that a run ending abruptly left undone.
    QSqlQuery last(QSqlDatabase::database(connection_, false));
    if (!last.exec(QStringLiteral("SELECT max(utc) FROM minute WHERE source = 0")) ||
        !last.next()) {
        return fail(last);
    }
    const std::int64_t from = last.value(0).isNull() ? std::numeric_limits<std::int64_t>::min()
                                                     : last.value(0).toLongLong() + 60;
    QSqlQuery minutes(QSqlDatabase::database(connection_, false));
    minutes.setForwardOnly(true);
    if (!minutes.prepare(QStringLiteral("SELECT DISTINCT utc - (utc % 60 + 60) % 60 FROM raw "
                                        "WHERE utc >= ? ORDER BY 1"))) {
        return fail(minutes);
    }
    minutes.addBindValue(QVariant::fromValue<qlonglong>(from));
    if (!run(minutes)) {
        return false;
    }
    std::vector<std::int64_t> undone;
    while (minutes.next()) {
        undone.push_back(minutes.value(0).toLongLong());
    }
    minutes.finish();
    DayHints days;
    for (const std::int64_t m : undone) {
        if (!storeMinute(m, RowSource::Live, days)) {
            return false;
        }
    }
    return summarizeDays(days);
}

bool HistoryDatabase::storeMinute(std::int64_t minuteUtc, RowSource source, DayHints& days) {
    const std::vector<RawRow> seconds = rawRows(minuteUtc, minuteUtc + 60);
    if (failure_.code != 0) {
        return false;
    }
    const std::optional<MinuteRow> row = aggregateMinute(minuteUtc, seconds, source);
    if (!row) {
        return true; // no second of it was stored
    }
    days[localDay(row->utc, row->offset)] = row->offset;
    return insertMinute(statements_->insertMinute, *row);
}

bool HistoryDatabase::insertMinute(QSqlQuery& q, const MinuteRow& row) {
    q.addBindValue(QVariant::fromValue<qlonglong>(row.utc));
    q.addBindValue(row.offset);
    q.addBindValue(static_cast<int>(row.source));
    q.addBindValue(blob(RowCodec::encodeMinute(row)));
    return run(q);
}

bool HistoryDatabase::summarizeDays(const DayHints& days) {
    Statements& s = *statements_;
    for (const auto& [day, offset] : days) {
        // The day's minutes, with room for a change of offset within the day.
        const std::int64_t start = std::int64_t{day} * 86400 - offset;
        const std::vector<MinuteRow> rows =
            minuteRows(start - kOffsetChangeMargin, start + 86400 + kOffsetChangeMargin);
        if (failure_.code != 0) {
            return false;
        }
        const std::optional<DaySummary> summary = summarizeDay(day, rows);
        if (!summary) {
            continue;
        }
        QSqlQuery& q = s.insertDay;
        q.addBindValue(summary->day);
        for (const QuantityDay& d : summary->quantities) {
            q.addBindValue(d.count);
            q.addBindValue(bindable(d.min));
            q.addBindValue(d.min ? QVariant::fromValue<qlonglong>(d.minUtc) : QVariant());
            q.addBindValue(bindable(d.max));
            q.addBindValue(d.max ? QVariant::fromValue<qlonglong>(d.maxUtc) : QVariant());
            q.addBindValue(bindable(d.mean));
        }
        q.addBindValue(bindable(summary->directionAtMaxSpeed));
        if (!run(q)) {
            return false;
        }
    }
    return true;
}

bool HistoryDatabase::write(std::span<const RawRow> seconds,
                            std::span<const std::int64_t> closedMinutes, std::int64_t purgeBefore) {
    if (!isOpen()) {
        return false;
    }
    return inTransaction([&] {
        Statements& s = *statements_;
        for (const RawRow& r : seconds) {
            QSqlQuery& q = s.insertRaw;
            q.addBindValue(QVariant::fromValue<qlonglong>(r.utc));
            q.addBindValue(r.offset);
            q.addBindValue(blob(RowCodec::encodeValues(r.values)));
            if (!run(q)) {
                return false;
            }
        }
        if (closedMinutes.empty()) {
            return true;
        }
        DayHints days;
        for (const std::int64_t m : closedMinutes) {
            if (!storeMinute(m, RowSource::Live, days)) {
                return false;
            }
        }
        s.purgeRaw.addBindValue(QVariant::fromValue<qlonglong>(purgeBefore));
        return run(s.purgeRaw) && summarizeDays(days);
    });
}

bool HistoryDatabase::addPanelRecords(std::span<const PanelRecordRow> records,
                                      std::int64_t downloadedUtc, int& added) {
    added = 0;
    if (!isOpen()) {
        return false;
    }
    int count = 0;
    const bool ok = inTransaction([&] {
        QSqlQuery& q = statements_->insertPanel;
        for (const PanelRecordRow& r : records) {
            q.addBindValue(QVariant::fromValue<qlonglong>(r.utc));
            q.addBindValue(r.offset);
            q.addBindValue(QVariant::fromValue<qlonglong>(downloadedUtc));
            for (const StoredValue& v : r.values) {
                q.addBindValue(bindable(v));
            }
            if (!run(q)) {
                return false;
            }
            count += q.numRowsAffected() > 0 ? 1 : 0;
        }
        return true;
    });
    if (ok) {
        added = count;
    }
    return ok;
}

bool HistoryDatabase::addMinutes(std::span<const MinuteRow> minutes, int& added) {
    added = 0;
    if (!isOpen()) {
        return false;
    }
    int count = 0;
    const bool ok = inTransaction([&] {
        QSqlQuery& q = statements_->insertMinuteIfNew;
        DayHints days;
        for (const MinuteRow& row : minutes) {
            if (!insertMinute(q, row)) {
                return false;
            }
            if (q.numRowsAffected() > 0) {
                ++count;
                days[localDay(row.utc, row.offset)] = row.offset;
            }
        }
        return summarizeDays(days);
    });
    if (ok) {
        added = count;
    }
    return ok;
}

bool HistoryDatabase::clear() {
    if (!isOpen()) {
        return false;
    }
    const bool ok = inTransaction([this] {
        return runSql(QStringLiteral("DELETE FROM raw")) &&
               runSql(QStringLiteral("DELETE FROM minute")) &&
               runSql(QStringLiteral("DELETE FROM panel")) &&
               runSql(QStringLiteral("DELETE FROM day"));
    });
    // The space goes back to the disk; should that fail, the rows are gone anyway.
    if (ok) {
        runSql(QStringLiteral("VACUUM"));
        failure_ = {};
    }
    return ok;
}

std::vector<RawRow> HistoryDatabase::rawRows(std::int64_t from, std::int64_t to) {
    std::vector<RawRow> rows;
    failure_ = {};
    if (!isOpen()) {
        return rows;
    }
    QSqlQuery& q = statements_->selectRawRange;
    q.addBindValue(QVariant::fromValue<qlonglong>(from));
    q.addBindValue(QVariant::fromValue<qlonglong>(to));
    if (!run(q)) {
        return rows;
    }
    while (q.next()) {
        // A row this program did not write is left out.
        const auto values = RowCodec::decodeValues(bytesOf(q.value(2).toByteArray()));
        if (values) {
            rows.push_back(RawRow{q.value(0).toLongLong(), q.value(1).toInt(), *values});
        }
    }
    q.finish();
    return rows;
}

std::vector<MinuteRow> HistoryDatabase::minuteRows(std::int64_t from, std::int64_t to) {
    std::vector<MinuteRow> rows;
    failure_ = {};
    if (!isOpen()) {
        return rows;
    }
    QSqlQuery& q = statements_->selectMinuteRange;
    q.addBindValue(QVariant::fromValue<qlonglong>(from));
    q.addBindValue(QVariant::fromValue<qlonglong>(to));
    if (!run(q)) {
        return rows;
    }
    while (q.next()) {
        MinuteRow r;
        r.utc = q.value(0).toLongLong();
        r.offset = q.value(1).toInt();
        r.source = q.value(2).toInt() == static_cast<int>(RowSource::Import) ? RowSource::Import
                                                                             : RowSource::Live;
        if (RowCodec::decodeMinute(bytesOf(q.value(3).toByteArray()), r)) {
            rows.push_back(r);
        }
    }
    q.finish();
    return rows;
}

std::vector<PanelRecordRow> HistoryDatabase::panelRecords(std::int64_t from, std::int64_t to) {
    std::vector<PanelRecordRow> rows;
    failure_ = {};
    if (!isOpen()) {
        return rows;
    }
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!prepare(q, QStringLiteral("SELECT utc, offset, temp, rh, press, speed, dir FROM panel "
                                   "WHERE utc >= ? AND utc < ? ORDER BY utc"))) {
        return rows;
    }
    q.addBindValue(QVariant::fromValue<qlonglong>(from));
    q.addBindValue(QVariant::fromValue<qlonglong>(to));
    if (!run(q)) {
        return rows;
    }
    while (q.next()) {
        PanelRecordRow r;
        r.utc = q.value(0).toLongLong();
        r.offset = q.value(1).toInt();
        for (std::size_t i = 0; i < 5; ++i) {
            r.values[i] = stored(q.value(static_cast<int>(i) + 2));
        }
        rows.push_back(r);
    }
    return rows;
}

std::vector<DaySummary> HistoryDatabase::daySummaries(std::int32_t fromDay, std::int32_t toDay) {
    std::vector<DaySummary> rows;
    failure_ = {};
    if (!isOpen()) {
        return rows;
    }
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!prepare(q, QStringLiteral("SELECT * FROM day WHERE day >= ? AND day <= ? ORDER BY day"))) {
        return rows;
    }
    q.addBindValue(fromDay);
    q.addBindValue(toDay);
    if (!run(q)) {
        return rows;
    }
    while (q.next()) {
        DaySummary s;
        s.day = q.value(0).toInt();
        int column = 1;
        for (QuantityDay& d : s.quantities) {
            d.count = q.value(column++).toInt();
            d.min = stored(q.value(column++));
            d.minUtc = q.value(column++).toLongLong();
            d.max = stored(q.value(column++));
            d.maxUtc = q.value(column++).toLongLong();
            d.mean = stored(q.value(column++));
        }
        s.directionAtMaxSpeed = stored(q.value(column));
        rows.push_back(s);
    }
    return rows;
}

HistoryDatabase::Extent HistoryDatabase::extent() {
    Extent e;
    failure_ = {};
    if (!isOpen()) {
        return e;
    }
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(QStringLiteral("SELECT min(first), max(last) FROM ("
                               "SELECT min(utc) AS first, max(utc) AS last FROM raw UNION ALL "
                               "SELECT min(utc), max(utc) + 59 FROM minute UNION ALL "
                               "SELECT min(utc), max(utc) FROM panel)")) ||
        !q.next()) {
        fail(q);
        return e;
    }
    if (!q.value(0).isNull()) {
        e.first = q.value(0).toLongLong();
        e.last = q.value(1).toLongLong();
    }
    return e;
}

qint64 HistoryDatabase::fileSize(const QString& path) {
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}
