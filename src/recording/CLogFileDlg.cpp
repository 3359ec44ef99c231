#include "recording/CLogFileDlg.h"

#include "recording/RecordingRules.h"
#include "recording/ReportFileChooser.h"
#include "widgets/DialogButtons.h"
#include "widgets/PolishMessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

struct ColumnBox {
    const char* text;
    const char* objectName;
    bool RecordColumns::*column;
};

// The dialog lists humidity before pressure; the file does not.
constexpr std::array<ColumnBox, 5> kColumnBoxes{{
    {"Temperatura", "temperatureBox", &RecordColumns::temperature},
    {"Wilgotność", "humidityBox", &RecordColumns::humidity},
    {"Ciśnienie", "pressureBox", &RecordColumns::pressure},
    {"Prędkość wiatru", "speedBox", &RecordColumns::speed},
    {"Kierunek wiatru", "directionBox", &RecordColumns::direction},
}};

QTime toQTime(const RecordingRules::TimeOfDay& t) {
    return QTime(t.hours, t.minutes, t.seconds);
}

} // namespace

CLogFileDlg::CLogFileDlg(QWidget* parent)
    : QDialog(parent), enabledBox(new QCheckBox(QStringLiteral("Rejestruj wyniki pomiarów"), this)),
      fileLabel(new QLabel(QStringLiteral("W pliku"), this)), fileNameEdit(new QLineEdit(this)),
      browseButton(new QPushButton(QStringLiteral("..."), this)),
      formatLabel(new QLabel(QStringLiteral("Format zapisu"), this)),
      formatList(new QComboBox(this)),
      intervalLabel(new QLabel(QStringLiteral("Interwał rejestracji"), this)),
      intervalEdit(new QTimeEdit(this)) {
    setObjectName(QStringLiteral("logFileDialog"));
    setWindowTitle(QStringLiteral("Rejestruj do pliku"));

    enabledBox->setObjectName(QStringLiteral("enabledBox"));
    fileNameEdit->setObjectName(QStringLiteral("fileNameEdit"));
    fileLabel->setBuddy(fileNameEdit);
    // A combo box would otherwise be read out by its entry, a field by its
    // contents.
    fileNameEdit->setAccessibleName(fileLabel->text());
    browseButton->setObjectName(QStringLiteral("browseButton"));
    // "..." says nothing to a screen reader.
    browseButton->setAccessibleName(QStringLiteral("Wybierz plik"));
    browseButton->setToolTip(QStringLiteral("Wybierz plik"));
    browseButton->setAutoDefault(false);
    const int narrow = browseButton->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16;
    browseButton->setFixedWidth(narrow);

    formatList->setObjectName(QStringLiteral("formatList"));
    formatList->addItem(QStringLiteral("Format tekstowy"));
    formatList->addItem(QStringLiteral("Lista rozdzielana"));
    formatLabel->setBuddy(formatList);
    formatList->setAccessibleName(formatLabel->text());

    intervalEdit->setObjectName(QStringLiteral("intervalEdit"));
    intervalEdit->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    intervalEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    intervalEdit->setTimeRange(QTime(0, 0, 0), QTime(23, 59, 59));
    intervalEdit->setCurrentSection(QDateTimeEdit::SecondSection);
    intervalLabel->setBuddy(intervalEdit);
    intervalEdit->setAccessibleName(intervalLabel->text());

    auto* group = new QGroupBox(QStringLiteral("Pomiar"), this);
    group->setObjectName(QStringLiteral("measurementGroup"));
    auto* groupLayout = new QVBoxLayout(group);
    for (std::size_t i = 0; i < kColumnBoxes.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(kColumnBoxes[i].text), group);
        box->setObjectName(QString::fromLatin1(kColumnBoxes[i].objectName));
        groupLayout->addWidget(box);
        columnBoxes[i] = box;
    }

    auto* fields = new QGridLayout;
    fields->addWidget(fileLabel, 0, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileNameEdit, 1);
    fileRow->addWidget(browseButton);
    fields->addLayout(fileRow, 0, 1);
    fields->addWidget(formatLabel, 1, 0);
    fields->addWidget(formatList, 1, 1, Qt::AlignLeft);
    fields->addWidget(intervalLabel, 2, 0);
    fields->addWidget(intervalEdit, 2, 1, Qt::AlignLeft);
    fields->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabledBox);
    layout->addSpacing(4);
    layout->addLayout(fields);
    layout->addWidget(group);
    layout->addStretch();
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
    setMinimumWidth(420);

    connect(enabledBox, &QCheckBox::toggled, this, [this] { updateEnabling(); });
    connect(intervalEdit, &QTimeEdit::editingFinished, this, [this] { correctInterval(); });
    connect(browseButton, &QPushButton::clicked, this, [this] { chooseFile(); });

    setSettings(LogFileSettings{});
}

void CLogFileDlg::setSettings(const LogFileSettings& s) {
    enabledBox->setChecked(s.enabled);
    fileNameEdit->setText(QString::fromStdString(s.fileName));
    formatList->setCurrentIndex(s.csv ? 1 : 0);
    intervalEdit->setTime(toQTime(RecordingRules::intervalToTime(s.intervalSeconds)));
    for (std::size_t i = 0; i < kColumnBoxes.size(); ++i) {
        columnBoxes[i]->setChecked(s.columns.*kColumnBoxes[i].column);
    }
    updateEnabling();
}

LogFileSettings CLogFileDlg::settings() const {
    LogFileSettings s;
    s.enabled = enabledBox->isChecked();
    s.fileName = fileNameEdit->text().toStdString();
    s.csv = formatList->currentIndex() > 0;
    const QTime t = intervalEdit->time();
    s.intervalSeconds = t.isValid()
                            ? RecordingRules::timeToInterval({t.hour(), t.minute(), t.second()})
                            : RecordingRules::kMinIntervalSeconds;
    for (std::size_t i = 0; i < kColumnBoxes.size(); ++i) {
        s.columns.*kColumnBoxes[i].column = columnBoxes[i]->isChecked();
    }
    return s;
}

void CLogFileDlg::updateEnabling() {
    const bool on = enabledBox->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{fileLabel, fileNameEdit, browseButton, formatLabel,
                                         formatList, intervalLabel, intervalEdit}) {
        w->setEnabled(on);
    }
    for (QCheckBox* box : columnBoxes) {
        box->setEnabled(on);
    }
}

void CLogFileDlg::correctInterval() {
    const int seconds = settings().intervalSeconds;
    intervalEdit->setTime(toQTime(RecordingRules::intervalToTime(seconds)));
}

void CLogFileDlg::chooseFile() {
    const std::optional<ReportFileChoice> choice =
        chooseReportFile(this, formatList->currentIndex() > 0);
    if (!choice) {
        return;
    }
    formatList->setCurrentIndex(choice->csv ? 1 : 0);
    fileNameEdit->setText(QString::fromStdString(choice->fileName));
}

void CLogFileDlg::accept() {
    correctInterval();
    if (!settings().columns.any()) {
        PolishMessageBox::inform(this, QString::fromUtf8(RecordingRules::kNoColumnChosen),
                                 QMessageBox::Warning);
        return;
    }
    QDialog::accept();
}
