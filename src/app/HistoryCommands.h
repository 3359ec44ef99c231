#pragma once

#include "history/MeasurementHistory.h"
#include "protocol/MemoryRecord.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <vector>

struct AppSettings;
class QProgressDialog;
class QWidget;

// The window's share of the measurement history: starts it from the
// settings, runs "Ustawienia" → "Historia pomiarów" and "Program" →
// "Importuj plik rejestracji…", hands it the panel memory's records and
// shows its failures, one box at a time.
class HistoryCommands : public QObject {
    Q_OBJECT

public:
    // `settings` belongs to the window and outlives this object.
    HistoryCommands(MeasurementHistory& history, AppSettings& settings, QWidget* window);

    // Start-up: the history as the settings say.
    void start();
    void settingsDialog();
    void importRecordFile();
    // The records of a memory download that has just ended.
    void storeMemoryRecords(const std::vector<MemoryRecord>& records);
    // The window is closing: no box opens any more; the history writes what
    // is pending and closes its file.
    void shutDown();

    // What the history file holds, for the dialog.
    static QString summaryOf(const QString& path);

private:
    void showMessage(const QString& text, int icon);
    void showNextMessage();
    void onImportFinished(const QString& file, int linesRead, int linesSkipped, int newMinutes,
                          const QString& error);
    bool clearNow(const QString& path);

    MeasurementHistory& history;
    AppSettings& settings;
    QWidget* window;
    QPointer<QProgressDialog> importProgress;
    bool shuttingDown = false;
    bool messageOpen = false;
    QStringList messages;
    QList<int> icons;
};
