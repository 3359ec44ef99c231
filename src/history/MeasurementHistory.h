#pragma once

#include "history/HistorySampler.h"
#include "history/QtZoneRules.h"
#include "protocol/MemoryRecord.h"
#include "protocol/Reading.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

struct AppSettings;
class HistoryWorker;
class QThread;

// The measurement history as the programs use it: readings, the panel
// memory's records and recording files go in; failures come out as Polish
// messages, once per streak. What is kept of the readings is decided here, in
// the caller's thread (a second's last reading, the end of each minute); the
// file is written by a worker thread, so storing never holds up the poll
// loop. The window program and tq820ctl connect it; the charts read the file
// through a HistoryDatabase of their own.
class MeasurementHistory : public QObject {
    Q_OBJECT

public:
    struct Settings {
        bool enabled = true;
        QString path; // empty: defaultPath()
        int rawHours = 48;

        friend bool operator==(const Settings&, const Settings&) = default;
    };

    static constexpr int kMinRawHours = 1;
    static constexpr int kMaxRawHours = 24 * 366;

    explicit MeasurementHistory(QObject* parent = nullptr);
    ~MeasurementHistory() override;

    // historia.sqlite in <data>/Velmor/TQ820/ (on Linux $XDG_DATA_HOME,
    // default ~/.local/share; on Windows the local application data folder).
    static QString defaultPath();
    // The file the settings name.
    static QString pathOf(const Settings& settings);
    // The history's share of the program's settings (HISTORY_ON,
    // HISTORY_RAW_HOURS, HISTORY_FILE), and back.
    static Settings settingsOf(const AppSettings& settings);
    static void storeInto(const Settings& history, AppSettings& settings);

    // Starts, reconfigures or (when disabled) stops the history. A new file
    // closes the old one first.
    void configure(const Settings& settings);
    // Writes what is pending, closes the file and ends the worker thread.
    void stop();
    bool running() const { return worker_ != nullptr; }
    QString path() const { return running() ? path_ : QString(); }

    // A reading of a complete poll cycle (PanelLink::readingArrived).
    void addReading(const Reading& reading);
    // Records of a memory download that ended at `downloadedAt`; answered by
    // panelRecordsStored (also when the history is off).
    void addMemoryRecords(const std::vector<MemoryRecord>& records,
                          std::chrono::system_clock::time_point downloadedAt);
    // A recording file; answered by importFinished (also when the history is off).
    void importRecordFile(const QString& file);
    // The import in progress ends at its next line.
    void cancelImport();
    // Every row is deleted; answered by cleared.
    void clear();

signals:
    void failed(const QString& message);
    // `stored` false: the history could not take them (see failed).
    void panelRecordsStored(bool stored, int added, int alreadyStored, int unreadable);
    void importProgress(qint64 bytesRead, qint64 bytesTotal);
    void importFinished(const QString& file, int linesRead, int linesSkipped, int newMinutes,
                        const QString& error);
    void cleared(bool ok);

private:
    void start(const Settings& settings);
    void send(const HistorySampler::Output& out);
    void scheduleTick();
    void onTick();
    std::int32_t offsetAt(std::int64_t utc);

    Settings settings_;
    QString path_;
    HistorySampler sampler_;
    QtZoneRules zone_;
    std::int64_t offsetCachedFor_ = 0;
    std::int32_t cachedOffset_ = 0;
    bool offsetCached_ = false;
    QTimer tick_;
    QThread* thread_ = nullptr;
    HistoryWorker* worker_ = nullptr;
    std::shared_ptr<std::atomic_bool> cancel_;
};
