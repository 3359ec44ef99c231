#include "recording/CSaveAsDlg.h"

#include "recording/MemoryExport.h"
#include "recording/ReportFile.h"
#include "recording/ReportFileChooser.h"
#include "widgets/DialogButtons.h"
#include "widgets/PolishMessageBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kAskAppend =
    QStringLiteral("Plik już istnieje.\nWybierz Tak aby dopisywać wyniki do poprzednich,\n"
                   "wybierz Nie aby skasować poprzednią zawartość pliku.");

void reportWriteFailure(QWidget* parent, const ReportFile& file) {
    PolishMessageBox::inform(
        parent,
        QString::fromStdString(MemoryExport::writeFailureMessage(file.path(), file.errorText())),
        QMessageBox::Critical);
}

} // namespace

CSaveAsDlg::CSaveAsDlg(const std::vector<MemoryRecord>& records, QWidget* parent)
    : QDialog(parent), source(records) {
    setObjectName(QStringLiteral("saveAsDlg"));
    setWindowTitle(QStringLiteral("Zapisz"));

    auto* nameLabel = new QLabel(QStringLiteral("W pliku"), this);
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("fileNameEdit"));
    nameEdit->setAccessibleName(nameLabel->text());
    nameEdit->setMinimumWidth(nameEdit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    nameLabel->setBuddy(nameEdit);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAccessibleName(QStringLiteral("Wybierz plik"));
    browse->setAutoDefault(false);
    browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) * 3);

    auto* formatLabel = new QLabel(QStringLiteral("Format zapisu"), this);
    formatCombo = new QComboBox(this);
    formatCombo->setObjectName(QStringLiteral("formatCombo"));
    formatCombo->setAccessibleName(formatLabel->text());
    formatCombo->addItem(QStringLiteral("Format tekstowy"));
    formatCombo->addItem(QStringLiteral("Lista rozdzielana"));
    formatCombo->setCurrentIndex(csvLayout ? 1 : 0);
    formatLabel->setBuddy(formatCombo);

    connect(browse, &QPushButton::clicked, this, &CSaveAsDlg::chooseFile);
    connect(formatCombo, &QComboBox::currentIndexChanged, this,
            [this](int index) { csvLayout = index > 0; });

    auto* grid = new QGridLayout;
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(nameEdit, 0, 1);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(formatLabel, 1, 0);
    grid->addWidget(formatCombo, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
}

QString CSaveAsDlg::fileName() const {
    return nameEdit->text();
}

void CSaveAsDlg::chooseFile() {
    const auto choice = chooseReportFile(this, csvLayout);
    if (!choice) {
        return;
    }
    nameEdit->setText(QString::fromStdString(choice->fileName));
    formatCombo->setCurrentIndex(choice->csv ? 1 : 0);
}

void CSaveAsDlg::accept() {
    if (exportRecords()) {
        QDialog::accept();
    }
}

bool CSaveAsDlg::exportRecords() {
    ReportFile file;
    if (!file.open(fileName().toStdString())) {
        PolishMessageBox::inform(this, QString::fromUtf8(MemoryExport::kFileUnavailable),
                                 QMessageBox::Warning);
        return false;
    }
    bool replace = false;
    if (file.existed()) {
        const std::optional<bool> append = PolishMessageBox::askExplicitly(this, kAskAppend);
        if (!append) {
            return false; // no answer: the file stays as it was
        }
        replace = !*append;
    }
    // All lines in one write: a failure leaves the file as it was before the
    // export, never with half a line or half an export. Nie puts the new
    // content beside the old and swaps them only once it is on the disk, so a
    // full disk cannot leave the user with neither.
    const std::string bytes = MemoryExport::allLines(source, csvLayout);
    const bool written =
        replace ? file.replaceContents(bytes) : (bytes.empty() || file.writeLine(bytes));
    if (!written) {
        reportWriteFailure(this, file);
        return false;
    }
    file.close();
    return true;
}
