#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Message boxes with Polish buttons ("OK", "Tak", "Nie") whatever translation
// is loaded. The buttons carry object names ("okButton", "yesButton",
// "noButton") so that tests can answer them.
namespace PolishMessageBox {

// A message with an OK button; the caption is "TQ820".
void inform(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);

// A Yes/No question; true for "Tak".
bool ask(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::Question);

} // namespace PolishMessageBox
