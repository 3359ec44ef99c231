#pragma once

#include "protocol/Quantity.h"

#include <array>
#include <chrono>

class PanelData;

// One quantity of a reading: known when the panel reported it for an attached
// sensor over a live link and did not flag it; `faulty` when it flagged the
// measurement or calibration as failed (the value is then unknown, as in the
// recording file).
struct QuantityReading {
    bool known = false;
    double value = 0.0;
    bool faulty = false;
};

// The five quantities as the panel reported them at the end of a poll cycle.
struct Reading {
    std::chrono::system_clock::time_point time;
    std::array<QuantityReading, 5> values{}; // by quantityIndex

    const QuantityReading& operator[](Quantity q) const {
        return values[static_cast<std::size_t>(quantityIndex(q))];
    }
};

Reading takeReading(const PanelData& data, bool linkUp, std::chrono::system_clock::time_point time);
