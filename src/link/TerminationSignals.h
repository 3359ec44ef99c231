#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal on the user-interface thread, so
// that the program shuts down the normal way (and saves its settings) when it
// is asked to end. The handler only writes one byte to a socket pair; the
// notifier reads it in the event loop. One instance at a time.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    void onReadable();

    QSocketNotifier* notifier = nullptr;
};
