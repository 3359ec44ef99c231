#pragma once

#include <string>

// The name and layout that the report file chooser ("Wybierz plik raportu")
// leaves in a recording or export dialog.
struct ReportFileChoice {
    std::string fileName;
    bool csv = false; // "Lista rozdzielana" rather than "Format tekstowy"
};

// The file chooser's filters, in their order.
enum class ReportFilter { Text, Csv };

// Applies the chooser's rules to a confirmed name (UTF-8): a name without an
// extension gets ".txt" or ".csv" from the selected filter; a name ending in
// "txt" or "TXT" selects the text layout, one ending in "csv" or "CSV" the
// list; any other ending (mixed case included) keeps `currentCsv`.
ReportFileChoice applyReportFileRules(std::string name, ReportFilter selected, bool currentCsv);
