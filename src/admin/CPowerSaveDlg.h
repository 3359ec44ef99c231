#pragma once

#include "admin/CPanelReplyDlg.h"

class PanelData;
class QCheckBox;
class QPushButton;

// "Ustawienia oszczędzania energii": reads the panel's power-saving register
// and shows its bit 0 as a check box; after "OK" the register, with bit 0 as
// chosen and every other bit as read, is what the main window writes back.
class CPowerSaveDlg : public CPanelReplyDlg {
    Q_OBJECT

public:
    CPowerSaveDlg(const PanelData* data, QWidget* parent = nullptr);

    // The register was read: show it.
    void ShowPowerSaving();
    void onPanelReply() override { ShowPowerSaving(); }

    // The register with the user's choice (valid after "OK").
    int registerValue() const { return value; }

    void accept() override;

protected:
    void clearForReading() override;

private:
    const PanelData* data;
    QCheckBox* powerSavingBox;
    QPushButton* okButton;
    int value = 0; // kept between openings
};
