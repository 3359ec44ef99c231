#pragma once

#include "protocol/PanelReplyListener.h"

#include <QDialog>
#include <QString>
#include <QTimer>

// A dialog that shows something freshly read from the panel. Each opening
// starts empty with its controls disabled and waits 1500 ms for the poll
// engine to deliver the reply (the dialog is the operation's reply listener,
// and onPanelReply calls the dialog's hook); without one it says
// so in a message box and closes as cancelled. The dialog object is reused
// for every opening, and a reply that comes while it is not waiting (closed,
// already filled, or giving up) changes nothing.
class CPanelReplyDlg : public QDialog, public PanelReplyListener {
    Q_OBJECT

public:
    static constexpr int kReplyWaitMs = PanelReplyListener::kReplyWaitMs;

    // One opening: clears what the last one showed, runs the dialog modally
    // while the reply is awaited and returns its result.
    int run();

    // The reply has been shown in this opening.
    bool replyReceived() const { return phase == Phase::Filled; }
    // Closing ends the wait at once: neither a time-out nor a late reply can
    // follow a close.
    void done(int result) override;

protected:
    CPanelReplyDlg(QWidget* parent, const QString& failureMessage);

    // Puts the controls into their waiting state: texts empty, values of the
    // last opening gone, controls disabled.
    virtual void clearForReading() = 0;

    // Called by the hook when the reply is there: true (and the dialog counts
    // as filled) only when this opening is still waiting for it.
    bool takeReply();

private:
    enum class Phase { Closed, Waiting, Filled, GivingUp };

    void onReplyTimeout();

    QString failureMessage;
    QTimer replyTimer;
    Phase phase = Phase::Closed;
};
