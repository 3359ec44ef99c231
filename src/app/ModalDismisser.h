#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Ends the program's modal loops when it is asked to end: answers every modal
// box or dialog with its cancel path, those open now and those that open
// afterwards (start-up may open several in turn, each in a loop of its own,
// and a quit ends only the loops already running).
class ModalDismisser : public QObject {
    Q_OBJECT

public:
    explicit ModalDismisser(QObject* parent = nullptr);
    ~ModalDismisser() override;

    // Closes the modal windows open now, innermost first, and from now on every
    // modal window as soon as it is shown; `keep` is never closed.
    void dismissAll(QWidget* keep);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool armed = false;
    QPointer<QWidget> kept;
};
