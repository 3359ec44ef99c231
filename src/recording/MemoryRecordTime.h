#pragma once

#include "protocol/DateTimeRecord.h"

#include <optional>
#include <string_view>

// The date and time of a panel-memory record. The memory keeps month, day,
// hour and minute ("MM-DD hh:mm") but no year: the record gets the latest
// year that puts it at or before the moment of the download, so a download
// early in January dates December's records in the year before. A 29
// February goes to the latest leap year that does so. None for a text that
// is no such time, or a date no year has (31 April, month 13).
std::optional<DateTimeRecord> memoryRecordTime(std::string_view timeText,
                                               const DateTimeRecord& downloadedAt);
