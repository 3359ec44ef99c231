#pragma once

#include "recording/RecordWriter.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

struct AppSettings;
class PanelData;
class QWidget;

// Live recording: the open file, the interval timer and the header
// bookkeeping. The main window owns one, routes the menu command to
// configureRecording and calls resumeRecordingAtStartup once polling runs.
// Lines carry what the poll engine has put into PanelData; nothing is sent.
class LiveRecorder : public QObject {
    Q_OBJECT

public:
    // `settings` and `panel` belong to the main window and outlive the
    // recorder; `linkUp` tells whether the panel answers; dialogs and
    // messages open over `dialogParent`.
    LiveRecorder(AppSettings& settings, const PanelData& panel, std::function<bool()> linkUp,
                 QWidget* dialogParent);

    // "Ustawienia" -> "Rejestracja do pliku": runs the dialog and applies it.
    void configureRecording();
    // Start-up: reopens the stored file (always appending) and starts the
    // timer; the first line follows the first tick.
    void resumeRecordingAtStartup();
    // One line of the current values (with a header when one is due). A line
    // that cannot be written is lost; the user hears of it once per streak of
    // failures.
    void writeRecordLine();

    // The interval in seconds while the timer runs, else 0 (the status line).
    int intervalWhileRecording() const;
    bool fileOpen() const { return recordFile != nullptr; }
    // Lines lost to failed writes since the program started.
    int linesLost() const { return lost; }

    // The window is closing: the timer stops and no dialog or message opens
    // any more. The file stays as it is; every line is already on the disk.
    void shutDown();

signals:
    // Recording started, stopped or changed its interval: refresh the status.
    void recordingChanged();

private:
    // Opens the stored name, placing the write position at the end of an
    // existing file, or emptying it when `ask` is set and the user says Nie.
    bool openRecordFile(bool ask);
    void startTimer();
    void stopTimer();
    void reportWriteFailures();

    AppSettings& settings;
    const PanelData& panel;
    std::function<bool()> linkUp;
    QWidget* dialogParent;

    std::unique_ptr<RecordWriter> recordFile;
    QTimer recordTimer;

    bool shuttingDown = false;
    bool configuring = false;
    int lost = 0;
    // Failed writes in a row form a streak; each streak is reported once.
    int streak = 0;
    int reportedStreak = 0;
    QString streakMessage;
    bool failureBoxOpen = false;
};
