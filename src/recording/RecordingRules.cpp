#include "recording/RecordingRules.h"

#include <algorithm>

namespace RecordingRules {

TimeOfDay intervalToTime(int intervalSeconds) {
    const int s = clampInterval(intervalSeconds);
    return {s / 3600, s / 60 % 60, s % 60};
}

int timeToInterval(const TimeOfDay& time) {
    const int seconds = time.hours * 3600 + time.minutes * 60 + time.seconds;
    return seconds <= 0 ? kMinIntervalSeconds : seconds;
}

int clampInterval(int intervalSeconds) {
    return std::clamp(intervalSeconds, kMinIntervalSeconds, kMaxIntervalSeconds);
}

std::string writeFailureMessage(const std::string& path, const std::string& cause) {
    return "Nie można zapisać wyników pomiaru do pliku\n" + path + "\nPrzyczyna: " + cause +
           ".\n\nWyniki są pomijane, dopóki zapis się nie powiedzie. Rejestracja trwa dalej.";
}

OkOutcome outcomeOfOk(const LogFileSettings& before, const LogFileSettings& after, bool fileOpen) {
    if (!after.enabled) {
        return OkOutcome::SwitchOff;
    }
    // The name is compared exactly, letter case included.
    if (!fileOpen || after.fileName != before.fileName || !before.enabled ||
        after.csv != before.csv) {
        return OkOutcome::Reopen;
    }
    return OkOutcome::KeepFile;
}

} // namespace RecordingRules
