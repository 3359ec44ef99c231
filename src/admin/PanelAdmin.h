#pragma once

#include "protocol/DateTimeRecord.h"
#include "protocol/MemoryRecord.h"

#include <functional>
#include <memory>
#include <vector>

class CDateTimeDlg;
class CMemoryDlg;
class CPanelInfoDlg;
class CPowerSaveDlg;
class CRecordingDlg;
class PanelData;
class PollEngine;
class QWidget;

// The panel commands of the menu: "Informacje o panelu", "Data i czas",
// "Tryb oszczędzania energii" and "Ustawienia rejestracji" run the poll
// engine's one-shot operation around their dialog (begin with the dialog as
// the reply's listener, the modal dialog, end with the dialog's result);
// "Odczyt danych" begins a download and opens "Pamięć" on it; "Reset" and
// "Usuń zawartość pamięci" go to the engine. One dialog of each kind, made at
// its first opening and reused.
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
    void memoryRead();
    void reset();
    void erase();

    // What the memory dialog's "Wykres" does with the downloaded records.
    using MemoryChartHandler =
        std::function<void(const std::vector<MemoryRecord>&, const DateTimeRecord&)>;
    void setMemoryChartHandler(MemoryChartHandler handler);
    // Who takes the records of each download that ends in a list (the history).
    void onMemoryRecords(std::function<void(const std::vector<MemoryRecord>&)> handler) {
        memoryRecordsHandler = std::move(handler);
    }

private:
    QWidget* window;
    const PanelData& data;
    PollEngine& engine;
    std::unique_ptr<CPanelInfoDlg> infoDlg;
    std::unique_ptr<CDateTimeDlg> dateTimeDlg;
    std::unique_ptr<CPowerSaveDlg> powerSaveDlg;
    std::unique_ptr<CRecordingDlg> recordingDlg;
    std::unique_ptr<CMemoryDlg> memoryDlg;
    MemoryChartHandler memoryChartHandler;
    std::function<void(const std::vector<MemoryRecord>&)> memoryRecordsHandler;
};
