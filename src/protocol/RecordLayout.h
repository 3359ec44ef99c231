#pragma once

#include <cstdint>

// Which quantities a record of the panel memory holds: the code in the high
// nibble of a block header (and of the panel's recording configuration byte).
enum class RecordLayout : std::uint8_t {
    TempHumPress = 0,     // THP
    TempHumPressWind = 1, // THP, W
    Wind = 2,             // W
    Pressure = 3,         // P
    PressureWind = 4,     // P, W
    TempHum = 5,          // TH
    TempHumWind = 6,      // TH, W
};

inline constexpr int kRecordLayoutCount = 7;

// The parts a record holds; a layout code the panel does not know holds none.
struct RecordParts {
    bool tempHum = false;      // a TH part
    bool tempHumPress = false; // a THP part
    bool pressure = false;     // a P part
    bool wind = false;         // a W part

    friend bool operator==(const RecordParts&, const RecordParts&) = default;
};

constexpr RecordParts recordParts(int layoutCode) {
    switch (layoutCode) {
    case 0:
        return {false, true, false, false};
    case 1:
        return {false, true, false, true};
    case 2:
        return {false, false, false, true};
    case 3:
        return {false, false, true, false};
    case 4:
        return {false, false, true, true};
    case 5:
        return {true, false, false, false};
    case 6:
        return {true, false, false, true};
    default:
        return {};
    }
}

// Bytes of one record: TH and W take 3, THP 5, P 2. Zero for an unknown code.
constexpr int recordSize(int layoutCode) {
    if (layoutCode < 0 || layoutCode >= kRecordLayoutCount) {
        return 0;
    }
    const RecordParts p = recordParts(layoutCode);
    return (p.tempHum ? 3 : 0) + (p.tempHumPress ? 5 : 0) + (p.pressure ? 2 : 0) + (p.wind ? 3 : 0);
}
