#pragma once

#include <string>

// The kinds of quantity a tile can show; the number selects format and unit.
namespace DisplayKind {
inline constexpr int Irradiance = 1;  // W/m², raised "2"
inline constexpr int Illuminance = 2; // kLx
inline constexpr int Temperature = 3; // °C, truncated to tenths
inline constexpr int Direction = 4;   // °
inline constexpr int Pressure = 5;    // hPa
inline constexpr int Speed = 6;       // m/s
inline constexpr int Humidity = 7;    // %
inline constexpr int Ppm = 8;         // ppm
} // namespace DisplayKind

// A reading in the unit of its source kind converted to the display kind:
// irradiance and illuminance convert by the factor 1.47; everything else is
// shown unchanged.
double convertForDisplay(double value, int sourceKind, int displayKind);

// Truncates toward zero to one decimal, working on the decimal value so that
// whole tenths (21.4, 20.0) stay exact despite their binary representation.
double truncateToTenths(double value);

// The text of a reading in the value area. For irradiance with unit, text ends
// in "W/m" and raisedTwo asks for the raised "2" drawn after it; measureText
// is what the tile measures to place both.
struct FormattedValue {
    std::string text; // UTF-8
    bool raisedTwo = false;

    std::string measureText() const { return raisedTwo ? text + "2" : text; }
    friend bool operator==(const FormattedValue&, const FormattedValue&) = default;
};

// Formats a display value by its display kind, with or without the unit. An
// unknown kind gives an empty text; a value that is not a number "???".
FormattedValue formatDisplayValue(double displayValue, int displayKind, bool showUnit);
