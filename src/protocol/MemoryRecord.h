#pragma once

#include "protocol/RecordLayout.h"

#include <string>

// One decoded record of the panel memory. Values of parts the record does not
// hold are zero and never shown.
struct MemoryRecord {
    std::string timeText;      // "MM-DD hh:mm": the memory keeps no year and no seconds
    int temperatureTenths = 0; // tenths of °C
    int humidityTenths = 0;    // tenths of %
    int pressureTenths = 0;    // tenths of hPa
    int speedTenths = 0;       // tenths of m/s
    int directionDegrees = 0;  // whole degrees
    bool hasTempHum = false;
    bool hasTempHumPress = false;
    bool hasPressure = false;
    bool hasWind = false;

    bool hasTemperature() const { return hasTempHum || hasTempHumPress; }
    bool hasPressureValue() const { return hasTempHumPress || hasPressure; }
    RecordParts parts() const { return {hasTempHum, hasTempHumPress, hasPressure, hasWind}; }

    friend bool operator==(const MemoryRecord&, const MemoryRecord&) = default;
};
