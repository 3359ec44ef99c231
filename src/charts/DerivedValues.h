#pragma once

#include <optional>

// Quantities derived from the readings. Each returns nothing when its inputs
// cannot give a meaningful value (a humidity of 0, a value that is not a number).

// Dew point in °C from the air temperature (°C) and the relative humidity (%);
// a humidity above 100 % is taken as 100 %.
std::optional<double> dewPoint(double temperature, double humidity);

// The wind chill index in °C from the air temperature (°C) and the wind speed
// (m/s). Outside the index's range (above 10 °C, or at 4.8 km/h or less) it is
// the air temperature.
std::optional<double> windChill(double temperature, double speedMs);

// The Beaufort number (0..12) of a wind speed in m/s; nothing for a negative
// speed.
std::optional<int> beaufortNumber(double speedMs);

// The Polish name of a Beaufort number ("łagodny wiatr"), empty outside 0..12.
const char* beaufortName(int number);
