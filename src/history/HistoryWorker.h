#pragma once

#include "history/HistoryDatabase.h"
#include "history/HistoryFailure.h"
#include "history/HistoryRows.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QLockFile;

// The history's writer, in a thread of its own so that no write ever holds up
// the poll loop: it owns the database file and its lock, writes what it is
// given, keeps what could not be written (up to an hour of seconds) for the
// next attempt, and reports each streak of failures once. Its functions run
// in its thread; MeasurementHistory queues the calls.
class HistoryWorker : public QObject {
    Q_OBJECT

public:
    // At most this many seconds wait in memory while the file cannot be written.
    static constexpr std::size_t kMaxWaitingSeconds = 3600;
    // A file that cannot be opened is tried again after this long.
    static constexpr int kReopenAfterMs = 60'000;

    explicit HistoryWorker(std::shared_ptr<std::atomic_bool> cancel);
    ~HistoryWorker() override;

    void open(const QString& path, int rawHours);
    void setRawHours(int hours) { rawHours_ = hours; }
    void store(std::vector<RawRow> seconds, std::vector<std::int64_t> closedMinutes);
    void storePanelRecords(std::vector<PanelRecordRow> records, int unreadable,
                           std::int64_t downloadedUtc);
    void importFile(const QString& file);
    void clear();
    // Writes what waits, then closes the file and gives the lock back.
    void close();

signals:
    void failed(const QString& message);
    void panelRecordsStored(bool stored, int added, int alreadyStored, int unreadable);
    void importProgress(qint64 bytesRead, qint64 bytesTotal);
    // `error` is empty when the file was read to its end and everything was stored.
    void importFinished(const QString& file, int linesRead, int linesSkipped, int newMinutes,
                        const QString& error);
    void cleared(bool ok);

private:
    // Opens the file when it is not open and an attempt is due (or `now`).
    bool ensureOpen(bool now);
    bool openFile();
    // Writes the seconds and minutes that wait; true when nothing waits.
    bool flush();
    // The file is damaged: it is put aside and a new one started.
    bool startAfresh();
    void reportFailure(HistoryFailureKind kind, const QString& detail);
    QString cause() const;

    std::shared_ptr<std::atomic_bool> cancel_;
    HistoryDatabase db_;
    std::unique_ptr<QLockFile> lock_;
    QString path_;
    int rawHours_ = 48;
    bool wanted_ = false;
    QElapsedTimer sinceOpenAttempt_;
    std::vector<RawRow> waitingSeconds_;
    std::vector<std::int64_t> waitingMinutes_;
    FailureStreak streak_;
};
