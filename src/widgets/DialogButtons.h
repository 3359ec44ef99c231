#pragma once

class QDialog;
class QFrame;
class QHBoxLayout;
class QWidget;

// The pieces every dialog of the program shares, so that they look and behave
// alike and tests find their buttons by the same object names.
namespace DialogButtons {

// "OK" (default, object name okButton) and "Anuluj" (cancelButton),
// right-aligned and wired to the dialog's accept and reject.
QHBoxLayout* okCancelRow(QDialog* dialog);

// The etched line above a dialog's buttons.
QFrame* etchedLine(QWidget* parent);

} // namespace DialogButtons
