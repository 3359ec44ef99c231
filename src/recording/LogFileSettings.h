#pragma once

#include "recording/RecordColumns.h"

#include <string>

struct AppSettings;

// The nine live-recording settings as the recording dialog edits them.
struct LogFileSettings {
    bool enabled = false;
    std::string fileName; // UTF-8
    bool csv = false;     // "Lista rozdzielana" rather than "Format tekstowy"
    int intervalSeconds = 1;
    RecordColumns columns;

    static LogFileSettings fromAppSettings(const AppSettings& s);
    // Switches are stored as 0 or 1.
    void storeInto(AppSettings& s) const;

    friend bool operator==(const LogFileSettings&, const LogFileSettings&) = default;
};
