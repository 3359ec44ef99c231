#include "recording/LogFileSettings.h"

#include "settings/AppSettings.h"

LogFileSettings LogFileSettings::fromAppSettings(const AppSettings& s) {
    LogFileSettings r;
    r.enabled = s.recordEnabled != 0;
    r.fileName = s.recordFileName;
    r.csv = s.recordCsv != 0;
    r.intervalSeconds = s.recordIntervalSeconds;
    r.columns.temperature = s.recordTemp != 0;
    r.columns.pressure = s.recordPress != 0;
    r.columns.humidity = s.recordRh != 0;
    r.columns.speed = s.recordSpeed != 0;
    r.columns.direction = s.recordOrient != 0;
    return r;
}

void LogFileSettings::storeInto(AppSettings& s) const {
    s.recordEnabled = enabled ? 1 : 0;
    s.recordFileName = fileName;
    s.recordCsv = csv ? 1 : 0;
    s.recordIntervalSeconds = intervalSeconds;
    s.recordTemp = columns.temperature ? 1 : 0;
    s.recordPress = columns.pressure ? 1 : 0;
    s.recordRh = columns.humidity ? 1 : 0;
    s.recordSpeed = columns.speed ? 1 : 0;
    s.recordOrient = columns.direction ? 1 : 0;
}
