#pragma once

#include "recording/LogFileSettings.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// "Rejestruj do pliku": whether, where, in which layout, how often and which
// quantities the live recording writes. It edits a working copy of the nine
// recording settings; the recorder applies them after OK.
class CLogFileDlg : public QDialog {
    Q_OBJECT

public:
    explicit CLogFileDlg(QWidget* parent = nullptr);

    void setSettings(const LogFileSettings& settings);
    // The values the controls show, the interval corrected to at least one
    // second.
    LogFileSettings settings() const;

    // Refuses to close while no quantity is ticked, recording on or off.
    void accept() override;

private:
    void updateEnabling();
    // 00:00:00 (or no time) becomes 00:00:01.
    void correctInterval();
    void chooseFile();

    QCheckBox* enabledBox;
    QLabel* fileLabel;
    QLineEdit* fileNameEdit;
    QPushButton* browseButton;
    QLabel* formatLabel;
    QComboBox* formatList;
    QLabel* intervalLabel;
    QTimeEdit* intervalEdit;
    // In the dialog's order: temperature, humidity, pressure, speed, direction.
    std::array<QCheckBox*, 5> columnBoxes{};
};
