#include "link/PanelLink.h"

#include "link/CComPort.h"

#include <chrono>

PanelLink::PanelLink(QObject* parent) : QObject(parent), engine_(data_, *this) {
    // A coarse timer may fire up to 5 % early: a reply or an acknowledgement that
    // arrives inside the 1500 ms window must never be judged missing.
    pollTimer_.setTimerType(Qt::PreciseTimer);
    pollTimer_.setInterval(kPollPeriodMs);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { step([this] { engine_.onTick(); }); });
    for (int i = 0; i < static_cast<int>(confirmationTimers_.size()); ++i) {
        QTimer& t = confirmationTimers_[static_cast<std::size_t>(i)];
        t.setSingleShot(true);
        t.setTimerType(Qt::PreciseTimer);
        t.setInterval(kConfirmationMs);
        connect(&t, &QTimer::timeout, this, [this, i] {
            const auto timer = static_cast<ConfirmationTimer>(i);
            const bool confirmed = engine_.confirmed(timer);
            step([this, timer] { engine_.onConfirmationTimer(timer); });
            // Queued like the message or question it follows.
            QMetaObject::invokeMethod(
                this, [this, timer, confirmed] { emit confirmationJudged(timer, confirmed); },
                Qt::QueuedConnection);
        });
    }
}

PanelLink::~PanelLink() {
    stop();
}

void PanelLink::setPort(std::unique_ptr<CComPort> port) {
    port_ = std::move(port);
    if (port_) {
        connect(port_.get(), &CComPort::bytesReceived, this, &PanelLink::onBytes);
    }
}

void PanelLink::start() {
    step([this] { engine_.start(); });
}

void PanelLink::stop() {
    pollTimer_.stop();
    for (QTimer& t : confirmationTimers_) {
        t.stop();
    }
    // No byte may reach the engine once its owner is going.
    port_.reset();
}

void PanelLink::onBytes(const QByteArray& bytes) {
    step([this, &bytes] {
        engine_.onBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        static_cast<int>(bytes.size()));
    });
}

template <typename Call> void PanelLink::step(Call call) {
    ++stepDepth_;
    call();
    --stepDepth_;
    if (stepDepth_ != 0) {
        return;
    }
    if (pollTimerDue_) {
        pollTimerDue_ = false;
        pollTimer_.start();
    }
    if (statusDue_) {
        statusDue_ = false;
        publishStatus(dueLinkUp_);
    }
}

void PanelLink::setRecordingInterval(int seconds) {
    recordingInterval_ = seconds;
    std::string text;
    if (connection_.refreshText(data_, recordingInterval_, text)) {
        emit statusTextChanged(QString::fromStdString(text));
    }
}

void PanelLink::sendBytes(const std::uint8_t* data, int count) {
    if (port_) {
        port_->send(data, count);
    }
}

void PanelLink::restartPollTimer() {
    if (stepDepth_ > 0) {
        // Restarted right after the request has gone out: a timer restart costs
        // more than the request's own write.
        pollTimerDue_ = true;
        return;
    }
    pollTimer_.start();
}

void PanelLink::startConfirmationTimer(ConfirmationTimer timer) {
    confirmationTimers_[static_cast<std::size_t>(timer)].start();
}

void PanelLink::updateStatus(bool linkUp) {
    if (stepDepth_ > 0) {
        // The engine sends its next request right after this call: the
        // panel's answer is not kept waiting while the window repaints.
        statusDue_ = true;
        dueLinkUp_ = linkUp;
        return;
    }
    publishStatus(linkUp);
}

void PanelLink::publishStatus(bool linkUp) {
    emit statusUpdated(connection_.updateStatus(data_, linkUp, recordingInterval_));
    if (linkUp != publishedLinkUp_) {
        publishedLinkUp_ = linkUp;
        emit linkChanged(linkUp);
    }
    if (linkUp) {
        emit readingArrived(takeReading(data_, true, std::chrono::system_clock::now()));
    }
}

void PanelLink::showMessage(const std::string& text) {
    // Signalled after the engine step that raised it, never inside it: a
    // message box's own event loop keeps delivering bytes and ticks.
    QMetaObject::invokeMethod(
        this, [this, message = QString::fromStdString(text)] { emit messageRaised(message); },
        Qt::QueuedConnection);
}

void PanelLink::askQuestion(const std::string& text, std::function<void(bool yes)> answer) {
    QMetaObject::invokeMethod(
        this,
        [this, question = QString::fromStdString(text), answer = std::move(answer)] {
            emit questionRaised(question, answer);
        },
        Qt::QueuedConnection);
}
