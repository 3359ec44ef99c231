#pragma once

#include "cli/CtlCommand.h"
#include "link/PanelLink.h"
#include "protocol/MemoryDownload.h"
#include "protocol/PanelReplyListener.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class MeasurementHistory;
class RecordWriter;
class TerminationSignals;

// One run of tq820ctl: opens the port, drives the panel link through the
// command the way the window's menu and dialogs do (the same operations of
// the poll engine, the same waits and texts), prints the outcome and ends
// with its exit code. Nothing here decides a rule of its own.
class CtlSession : public QObject, public PanelReplyListener, public MemoryDownloadObserver {
    Q_OBJECT

public:
    explicit CtlSession(CtlCommand command, QObject* parent = nullptr);
    ~CtlSession() override;

    // Runs the command to its end and returns the process's exit code.
    int exec();

    // PanelReplyListener: called inside an engine step.
    void onPanelReply() override;
    // MemoryDownloadObserver: called inside an engine step.
    void onByteStored() override;
    void onDownloadFinished() override;
    void onDownloadAborted() override;

private:
    bool openPort();
    void begin();
    void finish(ExitCode code);

    // Standard output, a line at a time; a reader that has gone (watch | head)
    // ends the run quietly.
    void print(const std::string& line);
    void printError(const std::string& text);

    // The one-shot reads: the reply, or its absence after 1500 ms.
    void awaitReply(const char* failureText, std::function<void()> onReply);
    void onReplyTimeout();

    // Writes: the verdict of the confirmation timer, and the reset offered
    // after a successful one.
    void onMessage(const QString& text);
    void onQuestion(const QString& text, const std::function<void(bool yes)>& answer);
    void onVerdict(ConfirmationTimer timer, bool confirmed);

    void showStatusChanges();
    void runInfo();
    void runClock();
    void runSettings();
    void runPowerSaving();
    void runWatch();
    void runDownload();
    void runRecord();

    // The history, when the stored settings keep one: it takes the records
    // of a download and the readings of a recording.
    void startHistory();
    void finishDownload();
    void writeDownload(const std::vector<MemoryRecord>& records);
    void writeRecordLine();
    void showProgress(bool last);

    CtlCommand command_;
    PanelLink link_;
    std::unique_ptr<TerminationSignals> termination_;
    ExitCode exitCode_ = ExitCode::Done;
    bool finished_ = false;

    // The read being waited for.
    QTimer replyTimer_;
    const char* replyFailure_ = nullptr;
    std::function<void()> replyHandler_;
    bool awaitingReply_ = false;

    // The write being judged.
    QString heldMessage_;
    std::function<void(bool yes)> heldAnswer_;
    QString heldQuestion_;
    bool awaitingVerdict_ = false;
    bool eraseConfirmed_ = false;

    // watch
    long long readings_ = 0;
    bool headerShown_ = false;

    // download
    QTimer watchdog_;
    bool progressOnTerminal_ = false;

    std::unique_ptr<MeasurementHistory> history_;

    // record
    QTimer recordTimer_;
    std::unique_ptr<RecordWriter> recordFile_;
};
