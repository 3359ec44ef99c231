#pragma once

#include "recording/LogFileSettings.h"

#include <string>

// The rules of the recording dialog and of applying its result.
namespace RecordingRules {

// The interval runs from one second to one second short of a day: the
// dialog shows it as a time of day.
constexpr int kMinIntervalSeconds = 1;
constexpr int kMaxIntervalSeconds = 86399;

// OK with no column ticked (UTF-8).
inline constexpr const char* kNoColumnChosen = "Wybierz przynajmniej jedną wielkość do zapisu";
// The recording file cannot be opened.
inline constexpr const char* kFileUnavailable =
    "Wybrany plik rejestracji wyników pomiaru jest niedostępny.";

// What the user is told, once per streak of failed lines, when a line cannot
// be written: the file, the cause, and that recording goes on.
std::string writeFailureMessage(const std::string& path, const std::string& cause);

struct TimeOfDay {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// The interval as the time picker shows it.
TimeOfDay intervalToTime(int intervalSeconds);
// The picker's time as an interval; 00:00:00 becomes one second.
int timeToInterval(const TimeOfDay& time);
// A stored interval brought into 1..86399, so that a damaged setting can
// neither make the timer fire without pause nor overflow the milliseconds.
int clampInterval(int intervalSeconds);

enum class OkOutcome {
    SwitchOff, // stop the timer and close the file
    Reopen,    // close the file, open the named one (and ask when it exists)
    KeepFile,  // only the interval or the columns changed: the file stays open
};

// What OK in the dialog does with the file, given the settings before and
// after the dialog and whether a file is open now.
OkOutcome outcomeOfOk(const LogFileSettings& before, const LogFileSettings& after, bool fileOpen);

} // namespace RecordingRules
