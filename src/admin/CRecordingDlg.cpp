#include "admin/CRecordingDlg.h"

#include "admin/AdminTexts.h"
#include "protocol/PanelData.h"
#include "recording/RecordingSettings.h"
#include "widgets/DialogButtons.h"
#include "widgets/PolishMessageBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace RS = RecordingSettings;

CRecordingDlg::CRecordingDlg(const PanelData* data, QWidget* parent)
    : CPanelReplyDlg(parent, QString::fromUtf8(AdminTexts::kSettingsUnreadable)), data(data),
      recordingBox(new QCheckBox(QString::fromUtf8(RS::kRecordingBoxText), this)),
      intervalEdit(new QLineEdit(this)), layoutGroup(new QButtonGroup(this)),
      maxWindBox(new QCheckBox(QString::fromUtf8(RS::kMaxWindText), this)) {
    setObjectName(QStringLiteral("recordingDialog"));
    setWindowTitle(QStringLiteral("Ustawienia rejestracji"));

    recordingBox->setObjectName(QStringLiteral("recordingBox"));
    // The state, not the click: a screen reader's toggle action changes the
    // box without clicking it.
    connect(recordingBox, &QCheckBox::toggled, this, [this] { applyRecordingBox(); });

    auto* intervalLabel = new QLabel(QString::fromUtf8(RS::kIntervalLabel), this);
    auto* minutesLabel = new QLabel(QString::fromUtf8(RS::kMinutesLabel), this);
    intervalEdit->setObjectName(QStringLiteral("intervalEdit"));
    intervalEdit->setAccessibleName(QString::fromUtf8(RS::kIntervalLabel));
    intervalEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    intervalEdit->setFixedWidth(intervalEdit->fontMetrics().horizontalAdvance(u'0') * 6 + 12);
    intervalLabel->setBuddy(intervalEdit);
    minutesLabel->setBuddy(intervalEdit);
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(intervalLabel);
    intervalRow->addWidget(intervalEdit);
    intervalRow->addWidget(minutesLabel);
    intervalRow->addStretch();

    auto* group = new QGroupBox(QString::fromUtf8(RS::kLayoutGroupTitle), this);
    group->setObjectName(QStringLiteral("layoutGroup"));
    auto* groupLayout = new QVBoxLayout(group);
    const auto& choices = RS::layoutChoices();
    for (int i = 0; i < RS::kLayoutCount; ++i) {
        auto* button = new QRadioButton(QString::fromUtf8(choices[std::size_t(i)].text), group);
        button->setObjectName(QStringLiteral("layout%1").arg(i));
        layoutGroup->addButton(button, i);
        layoutButtons[std::size_t(i)] = button;
        groupLayout->addWidget(button);
    }
    connect(layoutGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            onLayoutClicked(id);
        }
    });
    maxWindBox->setObjectName(QStringLiteral("maxWindBox"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(recordingBox);
    layout->addLayout(intervalRow);
    layout->addWidget(group);
    layout->addWidget(maxWindBox);
    layout->addSpacing(6);
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    okButton = findChild<QPushButton*>(QStringLiteral("okButton"));
}

void CRecordingDlg::clearForReading() {
    // Nothing of the last opening stays on show while the panel is read.
    recordingBox->setChecked(false);
    intervalEdit->clear();
    selectLayout(std::nullopt);
    maxWindBox->setChecked(false);
    windLayout = false;
    recordingBox->setEnabled(false);
    intervalEdit->setEnabled(false);
    for (QRadioButton* b : layoutButtons) {
        b->setEnabled(false);
    }
    maxWindBox->setEnabled(false);
    // "OK" before the reply would write stale values; interval 0 would stop
    // the panel's recording.
    okButton->setEnabled(false);
}

void CRecordingDlg::ShowPanelSettings() {
    // The engine reads the configuration byte and then the interval; an
    // interval reply without this opening's byte (one still in flight from an
    // earlier sequence) is not the panel's settings yet.
    if (!data->memoryByteValid || !takeReply()) {
        return;
    }
    recordingBox->setEnabled(true);
    const RS::ConfigView view = RS::viewOfConfigByte(data->memoryByte);
    selectLayout(view.layout);
    maxWindBox->setChecked(view.maxWind);
    windLayout = view.windLayout;
    if (const auto text = RS::intervalText(data->recordInterval)) {
        intervalEdit->setText(QString::fromStdString(*text));
        recordingBox->setChecked(true);
    } else {
        recordingBox->setChecked(false);
    }
    applyRecordingBox();
    okButton->setEnabled(true);
    recordingBox->setFocus();
}

void CRecordingDlg::accept() {
    if (!replyReceived()) {
        return;
    }
    int minutes = 0;
    if (recordingBox->isChecked()) {
        minutes = RS::intervalFromField(intervalEdit->text().toStdString());
        if (!RS::intervalInRange(minutes)) {
            PolishMessageBox::inform(this, QString::fromUtf8(RS::kIntervalOutOfRange));
            intervalEdit->setFocus();
            return;
        }
    }
    interval = minutes;
    config = RS::configByteOf(selectedLayout(), windLayout, maxWindBox->isChecked());
    CPanelReplyDlg::accept();
}

std::optional<int> CRecordingDlg::selectedLayout() const {
    const int id = layoutGroup->checkedId();
    return id >= 0 ? std::optional<int>(id) : std::nullopt;
}

void CRecordingDlg::selectLayout(std::optional<int> layout) {
    if (layout) {
        layoutButtons[std::size_t(*layout)]->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; lift that to clear them.
    layoutGroup->setExclusive(false);
    for (QRadioButton* b : layoutButtons) {
        b->setChecked(false);
    }
    layoutGroup->setExclusive(true);
}

void CRecordingDlg::onLayoutClicked(int layout) {
    windLayout = RS::layoutChoices()[std::size_t(layout)].windLayout;
    applyRecordingBox();
}

void CRecordingDlg::applyRecordingBox() {
    const RS::ControlStates states = RS::controlStates(recordingBox->isChecked(), windLayout);
    for (QRadioButton* b : layoutButtons) {
        b->setEnabled(states.layouts);
    }
    intervalEdit->setEnabled(states.interval);
    maxWindBox->setEnabled(states.maxWind);
}
