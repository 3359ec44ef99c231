#pragma once

#include "protocol/DateTimeRecord.h"
#include "protocol/PollState.h"
#include "protocol/Quantity.h"

#include <array>
#include <cstdint>

// Everything the panel reported. Filled only by parseReply; every field keeps
// the last value a valid reply gave it, also after the link is lost.
class PanelData {
public:
    static constexpr int kMaxLineLength = 89;

    virtual ~PanelData() = default;

    // Checks that `line` (leading byte .. CR LF, `length` bytes) is the reply
    // expected in `state` and decodes it. Returns false for a wrong letter or
    // length; a "J" reply is never reported valid. Any byte sequence is safe:
    // lengths outside 0..89 are clamped for the last-line copy and rejected.
    bool parseReply(const std::uint8_t* line, int length, PollState state);

    // Quantity reading usable: link up, sensor present and of a model that
    // measures it.
    bool isAvailable(Quantity q, bool linkUp) const;
    // The quantity's channel or own error flags are set.
    bool isFaulty(Quantity q) const;
    // The reading of the quantity (wind direction as a double).
    double value(Quantity q) const;

    int eraseAck = 0;
    int resetAck = 0;
    int memoryByteValid = 0;
    int memoryByte = 0;
    int clockValid = 0;
    DateTimeRecord clock; // only month, day, hour and minute are filled
    int dateSetAck = 0;
    int powerSavingAck = 0;
    int recordInterval = 0;
    int serialCh2 = 0;
    int serialCh1 = 0;
    int powerSavingFlags = 0;
    double firmwareVersion = 0.0;
    double temperature = 0.0;
    double pressure = 0.0;
    double humidity = 0.0;
    double windSpeed = 0.0;
    int windDirection = 0;
    int ch1CalError = 0;
    int temperatureError = 0;
    int humidityError = 0;
    int memoryFull = 0;
    int ch2CalError = 0;
    int speedError = 0;
    int directionError = 0;
    int cpuTestError = 0;
    int lowBattery = 0;
    int eepromErrorA = 0;
    int eepromErrorB = 0;
    int clockError = 0;
    int modelTq233 = 0;
    int modelTq232 = 0;
    int modelTq231 = 0;
    int modelTq264 = 0;
    int pressureError = 0;
    int ch1MeasError = 0;
    int ch2MeasError = 0;
    int ch1Present = 0;
    int ch2Present = 0;

    // Copy of the most recent line given to the parser, valid or not.
    std::array<std::uint8_t, kMaxLineLength> lastLine{};
    int lastLineLength = 0;
};
