#pragma once

#include "protocol/PollHost.h"

// The dialog hooks of a host on which no administration or memory dialog is
// open: nothing waits for the replies, and a download cannot store a byte (so
// the engine never starts or continues one).
class NoDialogHooks : public PollHost {
public:
    void showPanelInfo() override {}
    void showPanelSettings() override {}
    void showPowerSaving() override {}
    void showPanelClock() override {}
    void memoryStepProgress() override {}
    void memoryAppendByte(std::uint8_t) override {}
    void memoryFinishProgress() override {}
    void memoryDecode() override {}
    int memoryLastByte() const override { return 0xFF; }
    void memoryAbort() override {}
    void memoryReset() override {}
    bool memoryStopRequested() const override { return false; }
    bool memoryCanTakeMore() const override { return false; }
};
