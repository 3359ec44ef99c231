#pragma once

#include <string>
#include <string_view>

// The quantities of a panel-memory record, in the order the list and the
// export show them.
enum class MemoryQuantity { Temperature, Humidity, Pressure, Direction, Speed };

// What a special code of the panel memory stands for ("Brak rekordu",
// "Błąd rekordu", "Błąd kalibracji", "Błąd pomiaru", "Brak danych"), or an
// empty text when the value is a measurement. `value` is in the record's
// units: temperature in tenths of °C, humidity, pressure and speed in tenths,
// direction in degrees.
std::string_view memorySpecialText(MemoryQuantity quantity, int value);

// A measurement as text: one decimal for the quantities kept in tenths
// ("21.5", "-0.3"), whole degrees for the direction. Independent of the
// process locale, so the decimal point stays a point.
std::string memoryValueText(MemoryQuantity quantity, int value);
