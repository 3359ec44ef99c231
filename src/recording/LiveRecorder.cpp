#include "recording/LiveRecorder.h"

#include "recording/CLogFileDlg.h"
#include "recording/LogFileSettings.h"
#include "recording/RecordingRules.h"
#include "settings/AppSettings.h"
#include "widgets/DateTimeConversion.h"
#include "widgets/PolishMessageBox.h"

#include <QDateTime>
#include <QDir>
#include <QScopeGuard>

namespace {

const QString kUnavailable = QString::fromUtf8(RecordingRules::kFileUnavailable);
const QString kAppendOrErase =
    QStringLiteral("Plik rejestracji pomiarów już istnieje.\r\nWybierz Tak aby dopisywać wyniki do "
                   "poprzednich,\r\nwybierz Nie aby skasować poprzednią zawartość pliku.");

DateTimeRecord localNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return toDateTimeRecord(now.date(), now.time());
}

} // namespace

LiveRecorder::LiveRecorder(AppSettings& settings, const PanelData& panel,
                           std::function<bool()> linkUp, QWidget* dialogParent)
    : settings(settings), panel(panel), linkUp(std::move(linkUp)), dialogParent(dialogParent) {
    // A coarse timer may fire up to 5 % late and drifts; the lines are to
    // come at the interval.
    recordTimer.setTimerType(Qt::PreciseTimer);
    connect(&recordTimer, &QTimer::timeout, this, [this] { writeRecordLine(); });
}

void LiveRecorder::configureRecording() {
    // One dialog at a time, whatever asks for it while it is open.
    if (configuring) {
        return;
    }
    configuring = true;
    const auto done = qScopeGuard([this] { configuring = false; });
    // A file that cannot be opened brings the dialog back with the settings
    // just stored, until the user picks a file that opens or cancels.
    while (!shuttingDown) {
        const LogFileSettings before = LogFileSettings::fromAppSettings(settings);
        CLogFileDlg dialog(dialogParent);
        dialog.setSettings(before);
        if (dialog.exec() != QDialog::Accepted) {
            if (!recordFile) {
                settings.recordEnabled = 0;
                stopTimer();
            }
            break;
        }
        const LogFileSettings after = dialog.settings();
        after.storeInto(settings);

        const auto outcome = RecordingRules::outcomeOfOk(before, after, recordFile != nullptr);
        if (outcome == RecordingRules::OkOutcome::SwitchOff) {
            stopTimer();
            recordFile.reset();
            break;
        }
        if (outcome == RecordingRules::OkOutcome::Reopen) {
            recordFile.reset();
            if (!openRecordFile(true)) {
                if (!shuttingDown) {
                    PolishMessageBox::inform(dialogParent, kUnavailable, QMessageBox::Warning);
                }
                continue;
            }
        }
        writeRecordLine();
        startTimer();
        break;
    }
    emit recordingChanged();
}

void LiveRecorder::resumeRecordingAtStartup() {
    if (shuttingDown || settings.recordFileName.empty() || settings.recordEnabled == 0) {
        return;
    }
    if (!openRecordFile(false)) {
        if (!shuttingDown) {
            PolishMessageBox::inform(dialogParent, kUnavailable, QMessageBox::Warning);
            configureRecording();
        }
        return;
    }
    startTimer();
    emit recordingChanged();
}

bool LiveRecorder::openRecordFile(bool ask) {
    auto file = std::make_unique<ReportFile>();
    if (!file->open(settings.recordFileName)) {
        return false;
    }
    if (file->existed()) {
        const std::optional<bool> append =
            ask ? PolishMessageBox::askExplicitly(dialogParent, kAppendOrErase) : true;
        // A question closed because the program is ending is no answer:
        // the file is left as it was.
        if (!append || shuttingDown) {
            return false;
        }
        // Lines always go at the end; Nie empties the file first.
        if (!*append && !file->truncate()) {
            return false;
        }
    }
    recordFile = std::make_unique<RecordWriter>(std::move(file));
    return true;
}

void LiveRecorder::writeRecordLine() {
    if (!recordFile) {
        return;
    }
    const LogFileSettings current = LogFileSettings::fromAppSettings(settings);
    const RecordWriter::Result result =
        recordFile->write(current.columns, current.csv, localNow(), panel, linkUp && linkUp());
    if (result == RecordWriter::Result::Written) {
        return;
    }
    ++lost;
    if (result != RecordWriter::Result::FailureBegins) {
        return;
    }
    ++streak;
    const ReportFile& file = recordFile->file();
    streakMessage = QString::fromStdString(RecordingRules::writeFailureMessage(
        QDir::toNativeSeparators(QString::fromStdString(file.path())).toStdString(),
        file.errorText()));
    // Not from inside the tick: the box's own event loop keeps the timer
    // ticking, and the tick must return at once.
    QMetaObject::invokeMethod(
        this, [this] { reportWriteFailures(); }, Qt::QueuedConnection);
}

void LiveRecorder::reportWriteFailures() {
    // One box at a time: a streak that begins while it is open is told when
    // it closes.
    if (failureBoxOpen) {
        return;
    }
    failureBoxOpen = true;
    while (reportedStreak != streak && !shuttingDown) {
        reportedStreak = streak;
        PolishMessageBox::inform(dialogParent, streakMessage, QMessageBox::Critical);
    }
    failureBoxOpen = false;
}

int LiveRecorder::intervalWhileRecording() const {
    return recordTimer.isActive() ? settings.recordIntervalSeconds : 0;
}

void LiveRecorder::startTimer() {
    settings.recordIntervalSeconds = RecordingRules::clampInterval(settings.recordIntervalSeconds);
    recordTimer.start(settings.recordIntervalSeconds * 1000);
}

void LiveRecorder::stopTimer() {
    recordTimer.stop();
}

void LiveRecorder::shutDown() {
    shuttingDown = true;
    recordTimer.stop();
}
