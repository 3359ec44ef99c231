#include "admin/PanelAdmin.h"

#include "admin/CDateTimeDlg.h"
#include "admin/CPanelInfoDlg.h"
#include "admin/CPowerSaveDlg.h"
#include "admin/CRecordingDlg.h"
#include "protocol/PollEngine.h"
#include "recording/CMemoryDlg.h"

namespace {

template <typename Dialog>
Dialog& dialog(std::unique_ptr<Dialog>& slot, const PanelData& data, QWidget* window) {
    if (!slot) {
        slot = std::make_unique<Dialog>(&data, window);
    }
    return *slot;
}

} // namespace

PanelAdmin::PanelAdmin(QWidget* window, const PanelData& data, PollEngine& engine)
    : window(window), data(data), engine(engine) {}

PanelAdmin::~PanelAdmin() = default;

void PanelAdmin::panelInfo() {
    CPanelInfoDlg& dlg = dialog(infoDlg, data, window);
    engine.beginPanelInfo(dlg);
    dlg.run();
    engine.endPanelInfo();
}

void PanelAdmin::dateTime() {
    CDateTimeDlg& dlg = dialog(dateTimeDlg, data, window);
    engine.beginClockRead(dlg);
    const bool ok = dlg.run() == QDialog::Accepted;
    engine.endClockRead(ok, dlg.chosenDateTime());
}

void PanelAdmin::powerSaving() {
    CPowerSaveDlg& dlg = dialog(powerSaveDlg, data, window);
    engine.beginPowerSaving(dlg);
    const bool ok = dlg.run() == QDialog::Accepted;
    engine.endPowerSaving(ok, dlg.registerValue());
}

void PanelAdmin::recordingSettings() {
    CRecordingDlg& dlg = dialog(recordingDlg, data, window);
    engine.beginRecordingSettings(dlg);
    const bool ok = dlg.run() == QDialog::Accepted;
    engine.endRecordingSettings(ok, dlg.intervalMinutes(), dlg.configByte());
}

void PanelAdmin::memoryRead() {
    if (!memoryDlg) {
        memoryDlg = std::make_unique<CMemoryDlg>(engine.memoryDownload(), window);
        memoryDlg->setChartHandler(memoryChartHandler);
        QObject::connect(memoryDlg.get(), &CMemoryDlg::recordsDecoded, memoryDlg.get(),
                         [this](const std::vector<MemoryRecord>& records) {
                             if (memoryRecordsHandler) {
                                 memoryRecordsHandler(records);
                             }
                         });
    }
    engine.beginMemoryRead(); // resets the download and asks for the firmware version
    memoryDlg->startReading();
}

void PanelAdmin::reset() {
    engine.requestReset();
}

void PanelAdmin::erase() {
    engine.requestErase();
}

void PanelAdmin::setMemoryChartHandler(MemoryChartHandler handler) {
    memoryChartHandler = std::move(handler);
    if (memoryDlg) {
        memoryDlg->setChartHandler(memoryChartHandler);
    }
}
