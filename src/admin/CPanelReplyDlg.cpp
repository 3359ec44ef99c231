#include "admin/CPanelReplyDlg.h"

#include "widgets/PolishMessageBox.h"

CPanelReplyDlg::CPanelReplyDlg(QWidget* parent, const QString& failureMessage)
    : QDialog(parent), failureMessage(failureMessage) {
    replyTimer.setSingleShot(true);
    // A coarse timer may fire a little early; the panel gets its full time.
    replyTimer.setTimerType(Qt::PreciseTimer);
    replyTimer.setInterval(kReplyWaitMs);
    connect(&replyTimer, &QTimer::timeout, this, &CPanelReplyDlg::onReplyTimeout);
}

int CPanelReplyDlg::run() {
    phase = Phase::Waiting;
    clearForReading();
    replyTimer.start();
    const int result = exec();
    // Also when the event loop was ended from outside (the program quits).
    replyTimer.stop();
    phase = Phase::Closed;
    return result;
}

void CPanelReplyDlg::done(int result) {
    replyTimer.stop();
    phase = Phase::Closed;
    QDialog::done(result);
}

bool CPanelReplyDlg::takeReply() {
    if (phase != Phase::Waiting) {
        return false;
    }
    phase = Phase::Filled;
    replyTimer.stop();
    return true;
}

void CPanelReplyDlg::onReplyTimeout() {
    if (phase != Phase::Waiting) {
        return;
    }
    // A reply that comes while the message is up is not shown: the dialog
    // closes regardless.
    phase = Phase::GivingUp;
    PolishMessageBox::inform(this, failureMessage);
    reject();
}
