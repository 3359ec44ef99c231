#pragma once

#include "admin/CPanelReplyDlg.h"

#include <array>
#include <optional>

class PanelData;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Ustawienia rejestracji": reads the panel's recording interval and
// configuration byte (memory addresses 0 and 1) and lets the user change
// them. After "OK" the interval and byte are what the main window writes back.
class CRecordingDlg : public CPanelReplyDlg {
    Q_OBJECT

public:
    CRecordingDlg(const PanelData* data, QWidget* parent = nullptr);

    // The configuration byte and then the interval were read (the interval's
    // reply accepted or not): show them.
    void ShowPanelSettings();
    void onPanelReply() override { ShowPanelSettings(); }

    // The result (valid after "OK"): interval in minutes, 0..239 (0 = no
    // recording), and the configuration byte.
    int intervalMinutes() const { return interval; }
    int configByte() const { return config; }

    void accept() override;

protected:
    void clearForReading() override;

private:
    std::optional<int> selectedLayout() const;
    void selectLayout(std::optional<int> layout);
    void onLayoutClicked(int layout);
    // Enables the controls that "Zapisuj pomiary do pamięci" governs.
    void applyRecordingBox();

    const PanelData* data;
    QCheckBox* recordingBox;
    QLineEdit* intervalEdit;
    QButtonGroup* layoutGroup;
    std::array<QRadioButton*, 7> layoutButtons{};
    QCheckBox* maxWindBox;
    QPushButton* okButton;

    bool windLayout = false;
    int interval = 0;
    int config = 0;
};
