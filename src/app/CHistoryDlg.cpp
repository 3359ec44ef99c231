#include "app/CHistoryDlg.h"

#include "history/MeasurementHistory.h"
#include "widgets/DialogButtons.h"
#include "widgets/PolishMessageBox.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CHistoryDlg::CHistoryDlg(QWidget* parent)
    : QDialog(parent), enabledBox(new QCheckBox(QStringLiteral("Zapisuj historię pomiarów"), this)),
      hoursLabel(new QLabel(QStringLiteral("Odczyty co sekundę przechowuj przez"), this)),
      hoursSpin(new QSpinBox(this)),
      hoursNote(new QLabel(QStringLiteral("Starsze odczyty zostają w historii jako minimum, "
                                          "średnia i maksimum każdej minuty."),
                           this)),
      fileLabel(new QLabel(QStringLiteral("Plik historii"), this)), fileEdit(new QLineEdit(this)),
      browseButton(new QPushButton(QStringLiteral("..."), this)), summaryLabel(new QLabel(this)),
      clearButton(new QPushButton(QStringLiteral("Usuń historię…"), this)) {
    setObjectName(QStringLiteral("historyDialog"));
    setWindowTitle(QStringLiteral("Historia pomiarów"));

    enabledBox->setObjectName(QStringLiteral("enabledBox"));
    hoursSpin->setObjectName(QStringLiteral("hoursSpin"));
    hoursSpin->setRange(MeasurementHistory::kMinRawHours, MeasurementHistory::kMaxRawHours);
    hoursSpin->setSuffix(QStringLiteral(" godz."));
    hoursSpin->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    hoursLabel->setBuddy(hoursSpin);
    hoursSpin->setAccessibleName(hoursLabel->text());
    hoursNote->setWordWrap(true);

    fileEdit->setObjectName(QStringLiteral("fileEdit"));
    fileLabel->setBuddy(fileEdit);
    fileEdit->setAccessibleName(fileLabel->text());
    fileEdit->setMinimumWidth(fileEdit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    browseButton->setAccessibleName(QStringLiteral("Wybierz plik historii"));
    browseButton->setToolTip(QStringLiteral("Wybierz plik historii"));
    browseButton->setAutoDefault(false);
    browseButton->setFixedWidth(
        browseButton->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);

    summaryLabel->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel->setWordWrap(true);
    summaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    clearButton->setObjectName(QStringLiteral("clearButton"));
    clearButton->setAutoDefault(false);

    connect(enabledBox, &QCheckBox::toggled, this, &CHistoryDlg::updateEnabling);
    connect(browseButton, &QPushButton::clicked, this, &CHistoryDlg::chooseFile);
    connect(clearButton, &QPushButton::clicked, this, &CHistoryDlg::askToClear);

    auto* grid = new QGridLayout;
    grid->addWidget(hoursLabel, 0, 0);
    grid->addWidget(hoursSpin, 0, 1, Qt::AlignLeft);
    grid->addWidget(hoursNote, 1, 0, 1, 3);
    grid->addWidget(fileLabel, 2, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit, 1);
    fileRow->addWidget(browseButton);
    grid->addLayout(fileRow, 3, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    auto* clearRow = new QHBoxLayout;
    clearRow->addWidget(summaryLabel, 1);
    clearRow->addWidget(clearButton, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabledBox);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(clearRow);
    layout->addStretch();
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
}

void CHistoryDlg::setValues(const Values& values) {
    enabledBox->setChecked(values.enabled);
    hoursSpin->setValue(values.rawHours);
    fileEdit->setText(QDir::toNativeSeparators(values.path));
    updateEnabling();
}

CHistoryDlg::Values CHistoryDlg::values() const {
    Values v;
    v.enabled = enabledBox->isChecked();
    v.rawHours = hoursSpin->value();
    v.path = QDir::fromNativeSeparators(fileEdit->text().trimmed());
    return v;
}

void CHistoryDlg::setSummary(const QString& file, const QString& text) {
    currentFile = file;
    summaryLabel->setText(text);
}

void CHistoryDlg::updateEnabling() {
    const bool on = enabledBox->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{hoursLabel, hoursSpin, hoursNote, fileLabel,
                                                      fileEdit, browseButton}) {
        w->setEnabled(on);
    }
}

void CHistoryDlg::chooseFile() {
    QFileDialog chooser(this, QStringLiteral("Wybierz plik historii"));
    chooser.setObjectName(QStringLiteral("historyFileChooser"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    // An existing history is opened, not written over: no overwrite question.
    chooser.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    chooser.setNameFilters(QStringList{QStringLiteral("Historia pomiarów (*.sqlite)"),
                                       QStringLiteral("Wszystkie pliki (*)")});
    chooser.setDefaultSuffix(QStringLiteral("sqlite"));
    chooser.selectFile(QDir::fromNativeSeparators(fileEdit->text()));
    if (chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty()) {
        fileEdit->setText(QDir::toNativeSeparators(chooser.selectedFiles().constFirst()));
    }
}

void CHistoryDlg::askToClear() {
    if (PolishMessageBox::ask(this,
                              QStringLiteral("Usunąć całą historię pomiarów z pliku\n%1?\n\n"
                                             "Tej operacji nie można cofnąć.")
                                  .arg(QDir::toNativeSeparators(currentFile)),
                              QMessageBox::Warning)) {
        emit clearRequested();
    }
}
