#pragma once

// Helpers of the panel dialog tests: act on a modal dialog or message box
// once it is up, and read its controls' state into plain values that the test
// compares after the modal run has returned.

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QStringList>
#include <QTimeEdit>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Polls every 10 ms until `ready()` holds, then calls `body(true)`; after
// `timeoutMs` without it, calls `body(false)`. Deleting the returned timer
// calls off the wait.
inline QTimer* whenReady(std::function<bool()> ready, std::function<void(bool)> body,
                         int timeoutMs = 10000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        const bool ok = ready();
        if (!ok && clock->elapsed() < timeoutMs) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        body(ok);
    });
    timer->start();
    return timer;
}

// Runs `body` once `dialog` is the active modal window; closes it after
// 10 s without, so that a failing test cannot hang.
inline void whenShown(QWidget* dialog, std::function<void()> body) {
    whenReady(
        [dialog] { return QApplication::activeModalWidget() == dialog && dialog->isVisible(); },
        [dialog, body](bool shown) {
            if (shown) {
                body();
            } else if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            } else {
                dialog->close();
            }
        });
}

// Runs `body` on the next message box that becomes the active modal window.
inline QTimer* whenMessageBox(std::function<void(QMessageBox*)> body) {
    return whenReady(
        [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
        [body](bool shown) {
            if (shown) {
                body(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            }
        });
}

// The child of this type and object name.
template <typename T> T* child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

// Clicks the button with this object name inside `parent`, as a user would,
// after the current event has been handled.
inline void clickLater(QWidget* parent, const QString& buttonName) {
    if (auto* b = parent->findChild<QAbstractButton*>(buttonName)) {
        QMetaObject::invokeMethod(b, &QAbstractButton::click, Qt::QueuedConnection);
    }
}

// What a dialog shows: one line per named control with its text or value,
// tick and enabled state, in the dialog's order. Two descriptions are equal
// exactly when the user sees no difference in the dialog's own controls.
inline QString describeDialog(QWidget* dialog) {
    QStringList lines;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (w->window() != dialog || w->objectName().isEmpty() ||
            w->objectName().startsWith(QLatin1String("qt_"))) {
            continue;
        }
        QString state;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            state = label->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            state = edit->text();
        } else if (auto* time = qobject_cast<QTimeEdit*>(w)) {
            state = time->time().toString(QStringLiteral("HH:mm:ss"));
        } else if (auto* calendar = qobject_cast<QCalendarWidget*>(w)) {
            state = calendar->selectedDate().toString(Qt::ISODate);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            state = button->isCheckable() ? (button->isChecked() ? "[x]" : "[ ]") : button->text();
        } else {
            continue;
        }
        lines << QStringLiteral("%1 %2 %3")
                     .arg(w->objectName(), w->isEnabled() ? "on" : "off", state);
    }
    return lines.join(QLatin1Char('\n'));
}
