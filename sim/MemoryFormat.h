#pragma once

#include "CivilTime.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tq820sim {

// The panel's record memory: blocks of a 6-byte header (0xF0, BCD minute, hour, day,
// layout << 4 | month, interval) and fixed-size records, the whole ended by 0xFF.
// Every value byte keeps bit 7 clear (the high bits travel in a shared K byte), so no
// record byte can be mistaken for a block start or the end marker.
namespace memory {

constexpr std::uint8_t blockStart = 0xF0;
constexpr std::uint8_t endMarker = 0xFF;
constexpr int layoutCount = 7;

// Record layouts 0..6: THP, THP+W, W, P, P+W, TH, TH+W.
int recordSize(int layout);
bool hasTemperatureHumidity(int layout);
bool hasPressure(int layout);
bool hasWind(int layout);

// Codes the panel stores instead of a value.
enum class Special {
    NoRecord = 0,
    RecordError = 1,
    CalibrationError = 2,
    MeasurementError = 3,
    NoData = 4
};

int temperatureSpecial(Special s); // in tenths of a degree, -410 .. -406
int humiditySpecial(Special s);    // 1023 .. 1019
int directionSpecial(Special s);   // the same codes as humidity
int pressureSpecial(Special s);    // 32639 .. 32635
int speedSpecial(Special s);       // 2047 .. 2043

// Values in the units of the memory: tenths of degC, tenths of %RH, tenths of hPa,
// tenths of m/s, whole degrees. Special codes are given as the value they decode to.
struct RecordValues {
    int temperatureTenths = 0;
    int humidityTenths = 0;
    int pressureTenths = 0;
    int speedTenths = 0;
    int directionDegrees = 0;

    friend bool operator==(const RecordValues&, const RecordValues&) = default;
};

// Clamps each value into the range its bits can hold.
std::vector<std::uint8_t> encodeRecord(int layout, const RecordValues& values);
std::array<std::uint8_t, 6> encodeHeader(const CivilTime& start, int layout, int interval);

} // namespace memory
} // namespace tq820sim
