#include "admin/CPowerSaveDlg.h"

#include "admin/AdminTexts.h"
#include "admin/PowerSaving.h"
#include "admin/PowerSavingPicture.h"
#include "protocol/PanelData.h"
#include "widgets/DialogButtons.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CPowerSaveDlg::CPowerSaveDlg(const PanelData* data, QWidget* parent)
    : CPanelReplyDlg(parent, QString::fromUtf8(AdminTexts::kSettingsUnreadable)), data(data),
      powerSavingBox(new QCheckBox(QString::fromUtf8(AdminTexts::kPowerSaving), this)) {
    setObjectName(QStringLiteral("powerSaveDialog"));
    setWindowTitle(QStringLiteral("Ustawienia oszczędzania energii"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("powerSavingPicture"));
    picture->setPixmap(powerSavingPicture());
    picture->setFixedSize(48, 48);
    picture->setAccessibleName(QStringLiteral("Oszczędzanie energii"));
    powerSavingBox->setObjectName(QStringLiteral("powerSavingBox"));
    // Wide enough for the dialog's title.
    powerSavingBox->setMinimumWidth(220);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addWidget(powerSavingBox, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    okButton = findChild<QPushButton*>(QStringLiteral("okButton"));
}

void CPowerSaveDlg::clearForReading() {
    powerSavingBox->setChecked(false);
    powerSavingBox->setEnabled(false);
    // "OK" before the reply would write a register that was never read,
    // losing every other bit of it.
    okButton->setEnabled(false);
}

void CPowerSaveDlg::ShowPowerSaving() {
    if (!takeReply()) {
        return;
    }
    value = PowerSaving::registerFromReply(data->powerSavingFlags);
    powerSavingBox->setEnabled(true);
    powerSavingBox->setChecked(PowerSaving::isOn(value));
    okButton->setEnabled(true);
    powerSavingBox->setFocus();
}

void CPowerSaveDlg::accept() {
    if (!replyReceived()) {
        return;
    }
    value = PowerSaving::registerAfter(value, powerSavingBox->isChecked());
    CPanelReplyDlg::accept();
}
