#include "history/MeasurementHistory.h"

#include "history/HistoryWorker.h"
#include "history/PanelRecords.h"
#include "settings/AppSettings.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

namespace {

// A tick comes this long after the second it ends: a timer may fire a little
// early, and the second must be over when it does.
constexpr int kTickLateMs = 5;

std::int64_t nowUtc() {
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

MeasurementHistory::MeasurementHistory(QObject* parent) : QObject(parent) {
    tick_.setSingleShot(true);
    tick_.setTimerType(Qt::PreciseTimer);
    connect(&tick_, &QTimer::timeout, this, &MeasurementHistory::onTick);
}

MeasurementHistory::~MeasurementHistory() {
    stop();
}

QString MeasurementHistory::defaultPath() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::cleanPath(data + QStringLiteral("/Velmor/TQ820/historia.sqlite"));
}

QString MeasurementHistory::pathOf(const Settings& settings) {
    return settings.path.isEmpty() ? defaultPath() : settings.path;
}

MeasurementHistory::Settings MeasurementHistory::settingsOf(const AppSettings& s) {
    return Settings{s.historyEnabled != 0, QString::fromStdString(s.historyFileName),
                    s.historyRawHours};
}

void MeasurementHistory::storeInto(const Settings& history, AppSettings& s) {
    s.historyEnabled = history.enabled ? 1 : 0;
    s.historyRawHours = history.rawHours;
    // The default place is kept as "the default", so that it follows the
    // user's data folder.
    const QString path = QDir::cleanPath(history.path);
    s.historyFileName =
        history.path.isEmpty() || path == defaultPath() ? std::string() : path.toStdString();
}

void MeasurementHistory::configure(const Settings& settings) {
    Settings s = settings;
    s.rawHours = std::clamp(s.rawHours, kMinRawHours, kMaxRawHours);
    if (!s.enabled) {
        stop();
        settings_ = s;
        return;
    }
    if (running() && pathOf(s) == path_) {
        settings_ = s;
        const int hours = s.rawHours;
        QMetaObject::invokeMethod(
            worker_, [w = worker_, hours] { w->setRawHours(hours); }, Qt::QueuedConnection);
        return;
    }
    stop();
    start(s);
}

void MeasurementHistory::start(const Settings& settings) {
    settings_ = settings;
    path_ = pathOf(settings);
    cancel_ = std::make_shared<std::atomic_bool>(false);
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("history"));
    worker_ = new HistoryWorker(cancel_);
    worker_->moveToThread(thread_);
    connect(worker_, &HistoryWorker::failed, this, &MeasurementHistory::failed);
    connect(worker_, &HistoryWorker::panelRecordsStored, this,
            &MeasurementHistory::panelRecordsStored);
    connect(worker_, &HistoryWorker::importProgress, this, &MeasurementHistory::importProgress);
    connect(worker_, &HistoryWorker::importFinished, this, &MeasurementHistory::importFinished);
    connect(worker_, &HistoryWorker::cleared, this, &MeasurementHistory::cleared);
    thread_->start();
    QMetaObject::invokeMethod(
        worker_, [w = worker_, path = path_, hours = settings.rawHours] { w->open(path, hours); },
        Qt::QueuedConnection);
}

void MeasurementHistory::stop() {
    if (!running()) {
        return;
    }
    tick_.stop();
    send(sampler_.finish());
    cancel_->store(true); // an import in progress ends at its next line
    HistoryWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            worker->close();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    thread_->wait();
    delete worker_;
    worker_ = nullptr;
    delete thread_;
    thread_ = nullptr;
}

std::int32_t MeasurementHistory::offsetAt(std::int64_t utc) {
    // One look-up a second is plenty: the offset changes on whole hours.
    if (!offsetCached_ || utc != offsetCachedFor_) {
        cachedOffset_ = zone_.offsetAt(utc);
        offsetCachedFor_ = utc;
        offsetCached_ = true;
    }
    return cachedOffset_;
}

void MeasurementHistory::addReading(const Reading& reading) {
    if (!running()) {
        return;
    }
    const std::int64_t utc =
        std::chrono::floor<std::chrono::seconds>(reading.time.time_since_epoch()).count();
    send(sampler_.add(reading, offsetAt(utc)));
    if (!tick_.isActive()) {
        scheduleTick();
    }
}

void MeasurementHistory::scheduleTick() {
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    tick_.start(static_cast<int>(1000 - ms % 1000) + kTickLateMs);
}

void MeasurementHistory::onTick() {
    send(sampler_.tick(nowUtc()));
    if (!sampler_.idle()) {
        scheduleTick();
    }
}

void MeasurementHistory::send(const HistorySampler::Output& out) {
    if (out.empty() || !running()) {
        return;
    }
    std::vector<RawRow> seconds;
    if (out.raw) {
        seconds.push_back(*out.raw);
    }
    std::vector<std::int64_t> minutes;
    if (out.closedMinute) {
        minutes.push_back(*out.closedMinute);
    }
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_, seconds = std::move(seconds), minutes = std::move(minutes)]() mutable {
            w->store(std::move(seconds), std::move(minutes));
        },
        Qt::QueuedConnection);
}

void MeasurementHistory::addMemoryRecords(const std::vector<MemoryRecord>& records,
                                          std::chrono::system_clock::time_point downloadedAt) {
    if (!running()) {
        QMetaObject::invokeMethod(
            this, [this] { emit panelRecordsStored(false, 0, 0, 0); }, Qt::QueuedConnection);
        return;
    }
    const std::int64_t utc =
        std::chrono::floor<std::chrono::seconds>(downloadedAt.time_since_epoch()).count();
    const LocalDateTime local = wallTime(utc + zone_.offsetAt(utc));
    PanelRecordRows rows = panelRecordRows(records, local, zone_);
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_, rows = std::move(rows.rows), unreadable = rows.unreadable, utc]() mutable {
            w->storePanelRecords(std::move(rows), unreadable, utc);
        },
        Qt::QueuedConnection);
}

void MeasurementHistory::importRecordFile(const QString& file) {
    if (!running()) {
        QMetaObject::invokeMethod(
            this,
            [this, file] {
                emit importFinished(file, 0, 0, 0,
                                    QStringLiteral("Historia pomiarów jest wyłączona."));
            },
            Qt::QueuedConnection);
        return;
    }
    cancel_->store(false);
    QMetaObject::invokeMethod(
        worker_, [w = worker_, file] { w->importFile(file); }, Qt::QueuedConnection);
}

void MeasurementHistory::cancelImport() {
    if (cancel_) {
        cancel_->store(true);
    }
}

void MeasurementHistory::clear() {
    if (!running()) {
        QMetaObject::invokeMethod(
            this, [this] { emit cleared(false); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->clear(); }, Qt::QueuedConnection);
}
