#include "history/HistoryWorker.h"

#include "history/MinuteAggregate.h"
#include "history/QtZoneRules.h"
#include "history/RecordFileParser.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace {

// Lines longer than this are no recording lines.
constexpr qint64 kMaxLineBytes = 4096;
// Minute rows of an import are stored this many at a time.
constexpr std::size_t kImportBatch = 5000;
constexpr qint64 kProgressStep = 256 * 1024;

// The first name beside `path` that no file has: historia.sqlite.bad,
// historia.sqlite.bad.2, ...; an older damaged file is never written over.
QString asideName(const QString& path) {
    QString name = path + QStringLiteral(".bad");
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-wal"));
         ++n) {
        name = path + QStringLiteral(".bad.%1").arg(n);
    }
    return name;
}

} // namespace

HistoryWorker::HistoryWorker(std::shared_ptr<std::atomic_bool> cancel)
    : cancel_(std::move(cancel)) {}

HistoryWorker::~HistoryWorker() = default;

void HistoryWorker::open(const QString& path, int rawHours) {
    close();
    path_ = path;
    rawHours_ = rawHours;
    wanted_ = true;
    streak_.succeed();
    ensureOpen(true);
}

bool HistoryWorker::ensureOpen(bool now) {
    if (db_.isOpen()) {
        return true;
    }
    if (!wanted_ ||
        (!now && sinceOpenAttempt_.isValid() && sinceOpenAttempt_.elapsed() < kReopenAfterMs)) {
        return false;
    }
    return openFile();
}

bool HistoryWorker::openFile() {
    sinceOpenAttempt_.start();
    // The lock file lies beside the history, in its folder.
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder)) {
        reportFailure(
            HistoryFailureKind::Open,
            QStringLiteral("nie można utworzyć folderu %1").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    lock_ = std::make_unique<QLockFile>(path_ + QStringLiteral(".lock"));
    // Held for the whole run; a lock left by a copy that has ended (even by a
    // kill) is recognised by its process and taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) {
            qint64 pid = 0;
            QString host;
            QString application;
            lock_->getLockInfo(&pid, &host, &application);
            reportFailure(HistoryFailureKind::Locked, pid > 0 ? QString::number(pid) : QString());
        } else {
            reportFailure(HistoryFailureKind::Open,
                          QStringLiteral("nie można utworzyć pliku blokady obok niego"));
        }
        lock_.reset();
        return false;
    }
    if (!db_.open(path_, HistoryDatabase::Mode::Write)) {
        if (db_.lastFailure().damaged()) {
            return startAfresh();
        }
        reportFailure(HistoryFailureKind::Open, cause());
        lock_.reset();
        return false;
    }
    streak_.succeed();
    return true;
}

bool HistoryWorker::startAfresh() {
    db_.close();
    const QString aside = asideName(path_);
    const QString wal = path_ + QStringLiteral("-wal");
    if (!QFile::rename(path_, aside) ||
        (QFileInfo::exists(wal) && !QFile::rename(wal, aside + QStringLiteral("-wal")))) {
        reportFailure(HistoryFailureKind::Open,
                      QStringLiteral("plik jest uszkodzony i nie można go odłożyć na bok"));
        lock_.reset();
        return false;
    }
    QFile::remove(path_ + QStringLiteral("-shm"));
    if (!db_.open(path_, HistoryDatabase::Mode::Write)) {
        reportFailure(HistoryFailureKind::Open, cause());
        lock_.reset();
        return false;
    }
    // Not a streak: each damaged file is told of.
    emit failed(QString::fromStdString(historyFailureMessage(
        HistoryFailureKind::Damaged, QDir::toNativeSeparators(path_).toStdString(),
        QDir::toNativeSeparators(aside).toStdString())));
    streak_.succeed();
    return true;
}

void HistoryWorker::store(std::vector<RawRow> seconds, std::vector<std::int64_t> closedMinutes) {
    waitingSeconds_.insert(waitingSeconds_.end(), seconds.begin(), seconds.end());
    if (waitingSeconds_.size() > kMaxWaitingSeconds) {
        waitingSeconds_.erase(waitingSeconds_.begin(),
                              waitingSeconds_.end() -
                                  static_cast<std::ptrdiff_t>(kMaxWaitingSeconds));
    }
    waitingMinutes_.insert(waitingMinutes_.end(), closedMinutes.begin(), closedMinutes.end());
    if (ensureOpen(false)) {
        flush();
    }
}

bool HistoryWorker::flush() {
    if (waitingSeconds_.empty() && waitingMinutes_.empty()) {
        return true;
    }
    const std::int64_t purgeBefore =
        QDateTime::currentSecsSinceEpoch() - std::int64_t{rawHours_} * 3600;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (db_.write(waitingSeconds_, waitingMinutes_, purgeBefore)) {
            waitingSeconds_.clear();
            waitingMinutes_.clear();
            streak_.succeed();
            return true;
        }
        if (!db_.lastFailure().damaged() || !startAfresh()) {
            break;
        }
    }
    if (db_.isOpen()) {
        reportFailure(HistoryFailureKind::Write, cause());
    }
    return false;
}

void HistoryWorker::storePanelRecords(std::vector<PanelRecordRow> records, int unreadable,
                                      std::int64_t downloadedUtc) {
    const int count = static_cast<int>(records.size());
    if (!ensureOpen(true)) {
        emit panelRecordsStored(false, 0, 0, unreadable);
        return;
    }
    flush();
    for (int attempt = 0; attempt < 2; ++attempt) {
        int added = 0;
        if (db_.addPanelRecords(records, downloadedUtc, added)) {
            streak_.succeed();
            emit panelRecordsStored(true, added, count - added, unreadable);
            return;
        }
        if (!db_.lastFailure().damaged() || !startAfresh()) {
            break;
        }
    }
    if (db_.isOpen()) {
        reportFailure(HistoryFailureKind::Write, cause());
    }
    emit panelRecordsStored(false, 0, 0, unreadable);
}

void HistoryWorker::importFile(const QString& file) {
    if (!ensureOpen(true)) {
        emit importFinished(file, 0, 0, 0, QStringLiteral("Historia pomiarów jest niedostępna."));
        return;
    }
    flush();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        emit importFinished(file, 0, 0, 0,
                            QStringLiteral("Nie można otworzyć pliku: %1.").arg(in.errorString()));
        return;
    }
    const qint64 total = in.size();
    QtZoneRules zone;
    RecordFileParser parser(zone);
    MinuteGrouper grouper(RowSource::Import);
    std::vector<MinuteRow> batch;
    int added = 0;
    QString error;
    qint64 reported = 0;
    const auto store = [&]() {
        int n = 0;
        if (!db_.addMinutes(batch, n)) {
            error = QStringLiteral("Nie można zapisać historii pomiarów: %1.").arg(cause());
            return false;
        }
        added += n;
        batch.clear();
        return true;
    };
    while (!in.atEnd() && error.isEmpty()) {
        if (cancel_ && cancel_->load()) {
            error = QStringLiteral("Import został przerwany.");
            break;
        }
        QByteArray line = in.readLine(kMaxLineBytes);
        if (line.isEmpty() && in.error() != QFileDevice::NoError) {
            error = QStringLiteral("Błąd odczytu pliku: %1.").arg(in.errorString());
            break;
        }
        if (!line.endsWith('\n') && !in.atEnd()) {
            // Far too long for a recording line: the rest of it goes too.
            while (!in.atEnd() && !in.readLine(kMaxLineBytes).endsWith('\n')) {
            }
            parser.skip();
            continue;
        }
        if (const std::optional<RawRow> second = parser.line(
                std::string_view(line.constData(), static_cast<std::size_t>(line.size())))) {
            if (std::optional<MinuteRow> minute = grouper.add(*second)) {
                batch.push_back(*minute);
            }
        }
        if (batch.size() >= kImportBatch) {
            store();
        }
        if (in.pos() - reported >= kProgressStep) {
            reported = in.pos();
            emit importProgress(reported, total);
        }
    }
    if (error.isEmpty()) {
        if (std::optional<MinuteRow> minute = grouper.finish()) {
            batch.push_back(*minute);
        }
        store();
    }
    if (error.isEmpty()) {
        streak_.succeed();
    }
    emit importProgress(total, total);
    emit importFinished(file, parser.readLines(), parser.skippedLines(), added, error);
}

void HistoryWorker::clear() {
    waitingSeconds_.clear();
    waitingMinutes_.clear();
    emit cleared(ensureOpen(true) && db_.clear());
}

void HistoryWorker::close() {
    if (db_.isOpen()) {
        flush();
    }
    db_.close();
    lock_.reset();
    wanted_ = false;
    waitingSeconds_.clear();
    waitingMinutes_.clear();
}

void HistoryWorker::reportFailure(HistoryFailureKind kind, const QString& detail) {
    if (streak_.fail()) {
        emit failed(QString::fromStdString(historyFailureMessage(
            kind, QDir::toNativeSeparators(path_).toStdString(), detail.toStdString())));
    }
}

QString HistoryWorker::cause() const {
    return QString::fromStdString(
        historyFailureCause(db_.lastFailure().code, db_.lastFailure().text.toStdString()));
}
