#pragma once

#include "protocol/DateTimeRecord.h"
#include "protocol/PanelData.h"
#include "protocol/Reading.h"

#include <string>
#include <string_view>

// What tq820ctl prints, in UTF-8: the panel's texts as the dialogs show them,
// readings for terminals and for other programs (one JSON object a line).
namespace CtlText {

// A JSON string literal.
std::string jsonString(std::string_view utf8);

// One reading on one line: {"time":…,"temperature":21.5,"pressure":…,
// "humidity":…,"wind_speed":…,"wind_direction":…}, in the order of the
// recording file's columns, with the recording file's decimals; an unknown
// value is null. `isoTime` is the reading's local time in ISO 8601.
std::string readingJson(const Reading& reading, std::string_view isoTime);

// A change of the link or of the panel's state: {"link":"up","status":"…"}.
std::string linkJson(bool up, std::string_view status);

// A line of a recording file (Windows-1250, CR LF) as a terminal shows it:
// UTF-8, without the line end and the padding after the last column.
std::string terminalLine(std::string_view fileLine);

// "Informacje o panelu": its four texts top to bottom, without a line break
// at the end.
std::string panelInfoText(const PanelData& data);
// The same facts as one JSON object.
std::string panelInfoJson(const PanelData& data);

// "Zegar panelu: 2026-03-01 12:05": the panel's month, day, hour and minute in
// the computer's year, as the date and time dialog shows them.
std::string panelClockText(const DateTimeRecord& computerNow, const DateTimeRecord& panelClock);

// "Ustawienia rejestracji" as read from the panel, one caption a line,
// without a line break at the end.
std::string recordingSettingsText(int recordInterval, int configByte);

// "Tryb oszczędzania energii: włączony" or "… wyłączony".
std::string powerSavingText(int registerValue);

// The progress of a memory download for a terminal, on the memory dialog's
// scale: "Odczyt pamięci: [#####·····]  512 B".
std::string progressText(int bytesStored);

// A message that offers a reset, without its question line: what a program
// that cannot ask prints.
std::string withoutQuestion(std::string_view text);

} // namespace CtlText
