// The accessibility check itself: it must name every control a screen reader
// could not name, and nothing else.

#include "AccessibilityCheck.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// A control of the program's own that takes the keyboard focus.
class CKnob : public QWidget {
    Q_OBJECT

public:
    explicit CKnob(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
};

QTreeView* tree(QWidget* parent, const QStringList& headers) {
    auto* model = new QStandardItemModel(0, int(headers.size()), parent);
    model->setHorizontalHeaderLabels(headers);
    auto* view = new QTreeView(parent);
    view->setModel(model);
    return view;
}

} // namespace

class AccessibilityCheckTest : public QObject {
    Q_OBJECT

private slots:
    void namesEveryControlAScreenReaderCannotName() {
        QDialog dialog;
        dialog.setObjectName(QStringLiteral("dialog"));
        auto* layout = new QVBoxLayout(&dialog);
        const auto add = [&](QWidget* w, const char* name) {
            w->setObjectName(QString::fromLatin1(name));
            layout->addWidget(w);
            return w;
        };
        // Named: by their text, a buddy label, or a name of their own.
        add(new QPushButton(QStringLiteral("OK"), &dialog), "ok");
        auto* label = add(new QLabel(QStringLiteral("&Port:"), &dialog), "label");
        static_cast<QLabel*>(label)->setBuddy(add(new QLineEdit(&dialog), "labelled"));
        add(new QSpinBox(&dialog), "spin")->setAccessibleName(QStringLiteral("Odstęp"));
        add(new QCalendarWidget(&dialog), "calendar")->setAccessibleName(QStringLiteral("Data"));
        add(tree(&dialog, {"Data", "Temperatura"}), "list")->setAccessibleName("Rekordy");
        add(new CKnob(&dialog), "knob")->setAccessibleName(QStringLiteral("Gałka"));
        add(new QLineEdit(&dialog), "hidden")->hide();
        // Not named.
        add(new QToolButton(&dialog), "iconOnly");
        add(new QLineEdit(&dialog), "bare");
        add(new QSpinBox(&dialog), "bareSpin");
        add(tree(&dialog, {"Data", ""}), "headless")->setAccessibleName("Rekordy");
        add(new CKnob(&dialog), "bareKnob");

        QCOMPARE(AccessibilityCheck::unnamedControls(&dialog),
                 (QStringList{"QToolButton iconOnly in dialog: no accessible name",
                              "QLineEdit bare in dialog: no accessible name",
                              "QSpinBox bareSpin in dialog: no accessible name",
                              "QTreeView headless in dialog: column 1 has no header",
                              "CKnob bareKnob in dialog: no accessible name"}));
    }
};

QTEST_MAIN(AccessibilityCheckTest)
#include "AccessibilityCheckTest.moc"
