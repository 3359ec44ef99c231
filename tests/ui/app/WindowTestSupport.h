#pragma once

// Helpers of the main-window tests (widget and end-to-end): answering modal
// windows as they appear, and writing screenshots.

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

// Answers modal windows one after the other from a polling timer, as a user
// would: each step gets the next modal window that becomes active. What the
// windows said is kept in `seen` (a message box's text, else the title), and
// their icons in `icons`.
class ModalAnswerer : public QObject {
public:
    using Step = std::function<void(QWidget* modal)>;

    explicit ModalAnswerer(QObject* parent = nullptr) : QObject(parent) {
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [this] { check(); });
        poll.start();
    }

    void add(Step step) { steps.push_back(std::move(step)); }
    int pending() const { return static_cast<int>(steps.size()); }
    // A modal window with this object name is left alone: one that stays open
    // without blocking (QDialog::open) while the steps answer what it shows.
    void ignore(const QString& objectName) { ignored << objectName; }

    QStringList seen;
    QList<QMessageBox::Icon> icons;

    // Step: click the button with this object name ("okButton", "yesButton", ...).
    static Step click(const QString& buttonName) {
        return [buttonName](QWidget* w) {
            if (auto* b = w->findChild<QAbstractButton*>(buttonName)) {
                QMetaObject::invokeMethod(b, &QAbstractButton::click, Qt::QueuedConnection);
            } else {
                closeIt(w);
            }
        };
    }
    // Step: the cancel path of a dialog.
    static Step cancel() {
        return [](QWidget* w) { closeIt(w); };
    }

private:
    static void closeIt(QWidget* w) {
        if (auto* d = qobject_cast<QDialog*>(w)) {
            QMetaObject::invokeMethod(d, &QDialog::reject, Qt::QueuedConnection);
        } else {
            QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
        }
    }

    void check() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || handled.contains(modal) || steps.empty() || !modal->isVisible() ||
            ignored.contains(modal->objectName())) {
            return;
        }
        // Handled while it stays open: a dialog that is active again after a
        // message box over it has closed is not new. A reused dialog that
        // opens again is.
        handled.append(modal);
        modal->installEventFilter(this);
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen << box->text();
            icons << box->icon();
        } else {
            seen << modal->windowTitle();
            icons << QMessageBox::NoIcon;
        }
        Step step = std::move(steps.front());
        steps.pop_front();
        step(modal);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            watched->removeEventFilter(this);
            handled.removeAll(watched);
        }
        return QObject::eventFilter(watched, event);
    }

    QTimer poll;
    std::deque<Step> steps;
    QList<QPointer<QObject>> handled;
    QStringList ignored;
};

// Writes the widget's picture into $TQ820_SCREENSHOT_DIR (when set).
inline bool saveScreenshot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("TQ820_SCREENSHOT_DIR");
    if (dir.isEmpty()) {
        return true;
    }
    QDir().mkpath(dir);
    return w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG");
}

// What a list or table shows: every cell of every row, as text.
inline QList<QStringList> modelRows(const QAbstractItemModel* model) {
    QList<QStringList> rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model->columnCount(); ++c) {
            row << model->index(r, c).data().toString();
        }
        rows << row;
    }
    return rows;
}
