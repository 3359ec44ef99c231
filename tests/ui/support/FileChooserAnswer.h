#pragma once

// Answers Qt's own file chooser as a user does: once the chooser is the active
// window (its name field has the focus), pick the folder and the filter and
// type the name into the name field. QFileDialog::selectFile leaves a focused
// name field alone, so answering by selectFile depends on whether the window
// has been activated yet, and an empty name field turns "accept" into "open
// the folder" and keeps the chooser up.

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

// False when the chooser never became active or has no name field.
[[nodiscard]] inline bool typeIntoChooser(QFileDialog* chooser, const QString& folder,
                                          const QString& filter, const QString& name) {
    if (!QTest::qWaitFor([chooser] { return chooser->isActiveWindow(); }, 5000)) {
        return false;
    }
    auto* field = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (field == nullptr) {
        return false;
    }
    chooser->setDirectory(folder);
    chooser->selectNameFilter(filter);
    field->setText(name);
    return true;
}
