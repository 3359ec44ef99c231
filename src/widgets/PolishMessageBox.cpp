#include "widgets/PolishMessageBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

// Keeps the user's Escape key and close button from answering a box.
class ButtonsOnly : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            return true;
        }
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

namespace PolishMessageBox {

void inform(QWidget* parent, const QString& text, QMessageBox::Icon icon, const QString& details) {
    QMessageBox box(icon, QStringLiteral("TQ820"), text, QMessageBox::NoButton, parent);
    box.setInformativeText(details);
    // The box takes its width from the short text above; details need more room.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setMinimumWidth(420);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

// Runs a "Tak"/"Nie" box; `explicitOnly` keeps Escape and the close button
// from answering. Nothing when neither button was clicked.
std::optional<bool> runQuestion(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                bool explicitOnly) {
    QMessageBox box(icon, QStringLiteral("TQ820"), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Tak"), QMessageBox::YesRole);
    yes->setObjectName(QStringLiteral("yesButton"));
    QPushButton* no = box.addButton(QStringLiteral("Nie"), QMessageBox::NoRole);
    no->setObjectName(QStringLiteral("noButton"));
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    ButtonsOnly filter;
    if (explicitOnly) {
        box.installEventFilter(&filter);
    }
    std::optional<bool> answer;
    QObject::connect(yes, &QPushButton::clicked, &box, [&answer] { answer = true; });
    QObject::connect(no, &QPushButton::clicked, &box, [&answer] { answer = false; });
    box.exec();
    return answer;
}

bool ask(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    return runQuestion(parent, text, icon, false).value_or(false);
}

std::optional<bool> askExplicitly(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    return runQuestion(parent, text, icon, true);
}

} // namespace PolishMessageBox
