#pragma once

#include "protocol/ConnectionStatus.h"
#include "protocol/PanelData.h"
#include "protocol/PollEngine.h"
#include "protocol/PollHost.h"
#include "protocol/Reading.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

class CComPort;

// The panel at the other end of the serial line. Owns the port, the poll
// engine with its PanelData, the connection status and the engine's timers,
// and tells the world by signals. It has no widgets: the window program shows
// what it signals and answers its questions with message boxes; a program
// without a display drives the same object.
class PanelLink : public QObject, public PollHost {
    Q_OBJECT

public:
    static constexpr int kPollPeriodMs = 1500;
    static constexpr int kConfirmationMs = 1500;

    explicit PanelLink(QObject* parent = nullptr);
    ~PanelLink() override;

    // The driver in use, or nullptr. setPort replaces and destroys the old one;
    // nullptr leaves the link without a port (the engine's timing goes on).
    CComPort* port() const { return port_.get(); }
    void setPort(std::unique_ptr<CComPort> port);

    // Starts polling: the first request goes out at once.
    void start();
    // Stops the timers and closes the port: nothing reaches the engine any more.
    void stop();

    // The menu's operations run on the engine (begin/end around a dialog).
    PollEngine& engine() { return engine_; }
    const PollEngine& engine() const { return engine_; }
    const PanelData& data() const { return data_; }
    MemoryDownload& memoryDownload() { return engine_.memoryDownload(); }
    bool linkUp() const { return engine_.linkUp(); }
    // The link state and sensor set last published (the window's layout input).
    const ConnectionStatus& connection() const { return connection_; }

    // The live-recording interval that the status text names, 0 while not
    // recording; a changed text is signalled at once.
    void setRecordingInterval(int seconds);

    // PollHost
    void sendBytes(const std::uint8_t* data, int count) override;
    void restartPollTimer() override;
    void startConfirmationTimer(ConfirmationTimer timer) override;
    void updateStatus(bool linkUp) override;
    void showMessage(const std::string& text) override;
    void askQuestion(const std::string& text, std::function<void(bool yes)> answer) override;

signals:
    // After every poll cycle and when the link is lost: the tiles' values,
    // their visibility and the status text, each with change detection.
    void statusUpdated(const StatusUpdate& update);
    // The status text alone changed (the recording interval).
    void statusTextChanged(const QString& text);
    // The readings of a complete poll cycle while the link is up.
    void readingArrived(const Reading& reading);
    void linkChanged(bool up);
    // A message of the engine, signalled after the step that raised it.
    void messageRaised(const QString& text);
    // A Yes/No question of the engine; exactly one receiver calls `answer`.
    void questionRaised(const QString& text, const std::function<void(bool yes)>& answer);
    // A confirmation timer has judged its write, reset or erase: signalled
    // after the message or question that the verdict raised.
    void confirmationJudged(ConfirmationTimer timer, bool confirmed);

private:
    void onBytes(const QByteArray& bytes);
    // Runs an engine entry point; the poll timer's restart and the status it
    // produces follow once the step is over, after its next request has gone out.
    template <typename Call> void step(Call call);
    void publishStatus(bool linkUp);

    PanelData data_;
    PollEngine engine_;
    ConnectionStatus connection_;
    std::unique_ptr<CComPort> port_;
    QTimer pollTimer_;
    std::array<QTimer, 5> confirmationTimers_; // by ConfirmationTimer
    int recordingInterval_ = 0;
    bool publishedLinkUp_ = false;
    int stepDepth_ = 0;
    bool pollTimerDue_ = false;
    bool statusDue_ = false;
    bool dueLinkUp_ = false;
};
