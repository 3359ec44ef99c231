#include "recording/ReportFileChooser.h"

#include <QFileDialog>
#include <QStringList>

namespace {

const QString kTextFilter = QStringLiteral("Plik tekstowy (*.txt)");
const QString kCsvFilter = QStringLiteral("Lista CSV (*.csv)");

} // namespace

std::optional<ReportFileChoice> chooseReportFile(QWidget* parent, bool csv) {
    QFileDialog chooser(parent, QStringLiteral("Wybierz plik raportu"));
    chooser.setObjectName(QStringLiteral("reportFileChooser"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    // Qt's own widgets, so that the chooser speaks Polish everywhere and the
    // extension rules below are the only ones applied.
    chooser.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    chooser.setNameFilters(QStringList{kTextFilter, kCsvFilter});
    chooser.selectNameFilter(csv ? kCsvFilter : kTextFilter);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString name = chooser.selectedFiles().constFirst();
    if (name.isEmpty()) {
        return std::nullopt;
    }
    const ReportFilter filter =
        chooser.selectedNameFilter() == kCsvFilter ? ReportFilter::Csv : ReportFilter::Text;
    return applyReportFileRules(name.toStdString(), filter, csv);
}
