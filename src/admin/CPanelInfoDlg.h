#pragma once

#include "admin/CPanelReplyDlg.h"

#include <array>

class PanelData;
class QLabel;

// "Informacje o panelu": the panel's firmware, memory recording and power
// saving, the sensors on both channels and the fault list, freshly read by
// the poll engine's information sequence.
class CPanelInfoDlg : public CPanelReplyDlg {
    Q_OBJECT

public:
    CPanelInfoDlg(const PanelData* data, QWidget* parent = nullptr);

    // The information sequence has ended (its last reply accepted or not):
    // fill the four texts from PanelData.
    void ShowPanelInfo();
    void onPanelReply() override { ShowPanelInfo(); }

protected:
    void clearForReading() override;

private:
    enum Area { PanelArea, Channel1Area, Channel2Area, RemarksArea };

    void setAreaText(Area area, const QString& text);

    const PanelData* data;
    std::array<QLabel*, 4> areas{};
};
