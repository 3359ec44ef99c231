#pragma once

// Texts of the panel dialogs that tq820ctl shows too (UTF-8).
namespace AdminTexts {

// A one-shot read of the panel's settings got no reply in time.
inline constexpr const char* kSettingsUnreadable = "Nie można odczytać ustawień";
// The clock read got no reply in time.
inline constexpr const char* kClockUnreadable = "Nie można odczytać czasu z urządzenia";
// The power-saving dialog's box, and the line of the panel information.
inline constexpr const char* kPowerSaving = "Tryb oszczędzania energii";

} // namespace AdminTexts
