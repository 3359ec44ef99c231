#pragma once

#include "admin/CPanelReplyDlg.h"
#include "protocol/DateTimeRecord.h"

class PanelData;
class QCalendarWidget;
class QPushButton;
class QTimeEdit;

// "Data i czas": reads the panel's clock and shows it in a one-month
// calendar and a time field; the user changes it or takes the computer's time
// with "Aktualny". After "OK" the chosen date and time is what the main
// window sends to the panel (time and day and month; the panel keeps no year).
class CDateTimeDlg : public CPanelReplyDlg {
    Q_OBJECT

public:
    CDateTimeDlg(const PanelData* data, QWidget* parent = nullptr);

    // The panel's clock was read: show it in the computer's current year.
    void ShowPanelClock();
    void onPanelReply() override { ShowPanelClock(); }

    // The date and time chosen (valid after "OK").
    const DateTimeRecord& chosenDateTime() const { return chosen; }

    void accept() override;

protected:
    void clearForReading() override;

private:
    void showDateTime(const QDate& date, const QTime& time);
    void setControlsEnabled(bool enabled);

    const PanelData* data;
    QCalendarWidget* calendar;
    QTimeEdit* timeEdit;
    QPushButton* nowButton;
    QPushButton* okButton;
    QPushButton* cancelButton;
    DateTimeRecord chosen;
};
