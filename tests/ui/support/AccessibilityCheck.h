#pragma once

// What a screen reader can tell of a window's controls. One line in a test:
//
//     VERIFY_CONTROLS_NAMED(dialog);
//
// fails the test, naming each offender, when an interactive control under the
// widget (a button, check or radio box, line edit, spin or date/time edit,
// combo box, item view, calendar) has no accessible name: neither a name of
// its own (its text, or setAccessibleName) nor a label whose buddy it is. An
// item view with a header also needs a text on every visible column. Hidden
// controls are skipped; so are the parts inside a composite control (the
// line edit of a spin box, the view of a calendar). A control of the
// program's own that takes the keyboard focus counts as interactive.
//
// Note: Qt 6.4 gives an item view no name from a buddy label; give the view
// setAccessibleName (its columns are named by the model's header data).

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCalendarWidget>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <QWidget>

namespace AccessibilityCheck {

// "QPushButton okButton in colorsDialog", or the class alone when unnamed.
inline QString describe(const QWidget* w) {
    QString text = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty()) {
        text += QLatin1Char(' ') + w->objectName();
    }
    for (const QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (!p->objectName().isEmpty()) {
            return text + QStringLiteral(" in ") + p->objectName();
        }
    }
    return text;
}

// The name a screen reader announces: the control's own, else its label's.
inline QString accessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    if (iface == nullptr) {
        return w->accessibleName();
    }
    QString name = iface->text(QAccessible::Name).trimmed();
    if (name.isEmpty()) {
        for (const auto& relation : iface->relations(QAccessible::Label)) {
            if (relation.first != nullptr) {
                name = relation.first->text(QAccessible::Name).trimmed();
                if (!name.isEmpty()) {
                    break;
                }
            }
        }
    }
    return name;
}

inline bool isComposite(const QWidget* w) {
    return qobject_cast<const QAbstractSpinBox*>(w) != nullptr ||
           qobject_cast<const QComboBox*>(w) != nullptr ||
           qobject_cast<const QCalendarWidget*>(w) != nullptr ||
           qobject_cast<const QAbstractItemView*>(w) != nullptr;
}

inline bool isInteractive(const QWidget* w) {
    if (isComposite(w) || qobject_cast<const QAbstractButton*>(w) != nullptr) {
        return true;
    }
    if (qobject_cast<const QLineEdit*>(w) != nullptr) {
        return true;
    }
    // A control of our own (not one of Qt's containers) that takes the
    // keyboard focus is operated like a button.
    if ((w->focusPolicy() & Qt::TabFocus) != 0 &&
        !QByteArray(w->metaObject()->className()).startsWith('Q')) {
        return true;
    }
    if (auto* edit = qobject_cast<const QTextEdit*>(w)) {
        return !edit->isReadOnly();
    }
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(w)) {
        return !edit->isReadOnly();
    }
    return false;
}

// The header of a table or tree view, if it has one on show.
inline QHeaderView* columnHeader(QAbstractItemView* view) {
    if (auto* table = qobject_cast<QTableView*>(view)) {
        return table->horizontalHeader()->isHidden() ? nullptr : table->horizontalHeader();
    }
    if (auto* tree = qobject_cast<QTreeView*>(view)) {
        return tree->isHeaderHidden() ? nullptr : tree->header();
    }
    return nullptr;
}

inline void collect(QWidget* root, QWidget* w, QStringList& problems) {
    if (w != root && !w->isVisibleTo(root)) {
        return;
    }
    if (isInteractive(w)) {
        if (accessibleName(w).isEmpty()) {
            problems << describe(w) + QStringLiteral(": no accessible name");
        }
        auto* view = qobject_cast<QAbstractItemView*>(w);
        QHeaderView* header = view != nullptr ? columnHeader(view) : nullptr;
        if (header != nullptr && view->model() != nullptr) {
            for (int column = 0; column < view->model()->columnCount(); ++column) {
                if (!header->isSectionHidden(column) &&
                    view->model()
                        ->headerData(column, Qt::Horizontal, Qt::DisplayRole)
                        .toString()
                        .trimmed()
                        .isEmpty()) {
                    problems << describe(w) +
                                    QStringLiteral(": column %1 has no header").arg(column);
                }
            }
        }
    }
    if (isComposite(w)) {
        return; // its parts are Qt's, named by the control itself
    }
    for (QObject* child : w->children()) {
        if (auto* cw = qobject_cast<QWidget*>(child); cw != nullptr && !cw->isWindow()) {
            collect(root, cw, problems);
        }
    }
}

// The interactive controls under root (root included) that a screen reader
// cannot name, each described by class, object name and the nearest named
// parent.
inline QStringList unnamedControls(QWidget* root) {
    QStringList problems;
    if (root != nullptr) {
        collect(root, root, problems);
    }
    return problems;
}

} // namespace AccessibilityCheck

#define VERIFY_CONTROLS_NAMED(widget)                                                              \
    do {                                                                                           \
        const QStringList unnamedControls_ = AccessibilityCheck::unnamedControls(widget);          \
        QVERIFY2(unnamedControls_.isEmpty(),                                                       \
                 qPrintable(QStringLiteral("controls a screen reader cannot name:\n  ") +          \
                            unnamedControls_.join(QStringLiteral("\n  "))));                       \
    } while (false)
