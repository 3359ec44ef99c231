#pragma once

#include "protocol/PanelData.h"

#include <string>
#include <vector>

// The four texts of "Informacje o panelu", top to bottom in the dialog.
struct PanelInfoTexts {
    std::string panel;    // firmware, memory recording, power saving
    std::string channel1; // sensor on channel 1 with its serial number
    std::string channel2; // sensor on channel 2 with its serial number
    std::string remarks;  // the panel's fault list
};

// Builds the texts from what the panel last reported: the information
// sequence's firmware, register, serial numbers and interval, and the flags
// of the latest status reply.
PanelInfoTexts panelInfoTexts(const PanelData& data);

// The model named for the sensor on channel 1 or 2 ("TQ-232"), empty when the
// status reply flags none. One model only, even if it flags more than one.
std::string channel1Model(const PanelData& data);
std::string channel2Model(const PanelData& data);

// The lines of the remarks under "Uwagi:", without their line breaks.
std::vector<std::string> panelRemarks(const PanelData& data);
