#pragma once

#include <memory>

class CDateTimeDlg;
class CPanelInfoDlg;
class CPowerSaveDlg;
class CRecordingDlg;
class PanelData;
class PollEngine;
class QWidget;

// The panel commands that run a dialog: "Informacje o panelu", "Data i
// czas", "Tryb oszczędzania energii" and "Ustawienia rejestracji". Each runs
// the poll engine's one-shot operation around its dialog (begin, the modal
// dialog, end with the dialog's result), and the engine's dialog hooks are
// passed on to the dialog that waits. One dialog of each kind, made at its
// first opening and reused.
class PanelAdmin {
public:
    PanelAdmin(QWidget* window, const PanelData& data, PollEngine& engine);
    ~PanelAdmin();
    PanelAdmin(const PanelAdmin&) = delete;
    PanelAdmin& operator=(const PanelAdmin&) = delete;

    // The menu commands.
    void panelInfo();
    void dateTime();
    void powerSaving();
    void recordingSettings();

    // The engine's dialog hooks.
    void showPanelInfo();
    void showPanelClock();
    void showPowerSaving();
    void showPanelSettings();

private:
    QWidget* window;
    const PanelData& data;
    PollEngine& engine;
    std::unique_ptr<CPanelInfoDlg> infoDlg;
    std::unique_ptr<CDateTimeDlg> dateTimeDlg;
    std::unique_ptr<CPowerSaveDlg> powerSaveDlg;
    std::unique_ptr<CRecordingDlg> recordingDlg;
};
