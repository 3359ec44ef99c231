#pragma once

#include "protocol/PanelData.h"
#include "protocol/Quantity.h"

#include <array>
#include <string>

// What one tile is to show after a poll cycle.
struct TileCommand {
    Quantity quantity = Quantity::TEMP;
    bool hasValue = false; // true: SetBlinking(blinking) then SetValue(value)
                           // false: SetNoData() then SetBlinking(true)
    double value = 0.0;
    bool blinking = false;
};

// The result of one updateStatus: what the main window applies.
struct StatusUpdate {
    // The link state or the sensor set changed: apply `visible` (in the order
    // TEMP, RH, PRESS, SPEED, ORIENT) and lay the tiles out again.
    bool visibilityChanged = false;
    std::array<bool, 5> visible{true, true, true, true, true}; // by quantityIndex
    // The status text differs from the one shown: show it and move the focus
    // to the TEMP tile.
    bool textChanged = false;
    std::string text;
    // In the order TEMP, PRESS, RH, SPEED, ORIENT.
    std::array<TileCommand, 5> tiles{};
};

// Turns PanelData and the link flag into the status line, the tiles' visibility
// and each tile's value, no-data and blink state, with change detection.
class ConnectionStatus {
public:
    // `recordingIntervalSeconds` is 0 while live recording is not running.
    StatusUpdate updateStatus(const PanelData& data, bool linkUp, int recordingIntervalSeconds);

    // The status text alone, for the recording command: returns true and sets
    // `text` when it differs from the one shown (uses the last applied link).
    bool refreshText(const PanelData& data, int recordingIntervalSeconds, std::string& text);

    static std::string buildStatusText(const PanelData& data, bool linkUp,
                                       int recordingIntervalSeconds);
    static bool tileVisible(Quantity q, const PanelData& data, bool linkUp);

    // The values last applied, the inputs of the window layout.
    bool linkUp() const { return linkUp_; }
    bool ch1Present() const { return ch1Present_; }
    bool ch2Present() const { return ch2Present_; }
    bool modelTq231() const { return modelTq231_; }
    bool modelTq232() const { return modelTq232_; }
    bool modelTq233() const { return modelTq233_; }
    const std::string& shownText() const { return shownText_; }

private:
    bool linkUp_ = false;
    bool ch1Present_ = false;
    bool ch2Present_ = false;
    bool modelTq231_ = false;
    bool modelTq232_ = false;
    bool modelTq233_ = false;
    std::string shownText_;
};
