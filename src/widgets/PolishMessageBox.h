#pragma once

#include <QMessageBox>
#include <QString>
#include <optional>

class QWidget;

// Message boxes with Polish buttons ("OK", "Tak", "Nie") whatever translation
// is loaded. The buttons carry object names ("okButton", "yesButton",
// "noButton") so that tests can answer them.
namespace PolishMessageBox {

// A message with an OK button; the caption is "TQ820". Details, when given, stand
// below the text (the cause of a failure and what to do about it).
void inform(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon,
            const QString& details = QString());

// A Yes/No question; true for "Tak". Escape and the close button mean "Nie".
bool ask(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::Question);

// A Yes/No question whose "Nie" destroys something (an existing file is
// emptied), so only a click on "Tak" or "Nie" answers it: Escape and the
// window's close button do nothing. A box that the program closes itself
// (it is ending) gives no answer.
std::optional<bool> askExplicitly(QWidget* parent, const QString& text,
                                  QMessageBox::Icon icon = QMessageBox::Question);

} // namespace PolishMessageBox
