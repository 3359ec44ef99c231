#pragma once

#include "recording/ReportFileName.h"

#include <optional>

class QWidget;

// "Wybierz plik raportu": Qt's own file chooser (Polish with Qt's
// translation) with the filters "Plik tekstowy (*.txt)" and "Lista CSV
// (*.csv)", starting on the list filter when `csv` is set. A name that does
// not exist yet may be given, and there is no overwrite prompt: the dialogs
// ask their own question when the file is opened. Returns the name and
// layout after the naming rules, or nothing when the user cancels.
std::optional<ReportFileChoice> chooseReportFile(QWidget* parent, bool csv);
