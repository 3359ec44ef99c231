#include "app/ModalDismisser.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

ModalDismisser::ModalDismisser(QObject* parent) : QObject(parent) {}

ModalDismisser::~ModalDismisser() {
    if (armed && qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
}

void ModalDismisser::dismissAll(QWidget* keep) {
    kept = keep;
    if (!armed) {
        armed = true;
        qApp->installEventFilter(this);
    }
    // Closing the innermost one makes the one below it the active modal window.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == keep) {
            break;
        }
        modal->close();
        if (QApplication::activeModalWidget() == modal) {
            break; // it refused to close; its loop ends when the window does
        }
    }
}

bool ModalDismisser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w->isModal() && w != kept) {
            // Queued: the window's own loop must be running for the close to end it.
            QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}
