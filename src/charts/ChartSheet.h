#pragma once

#include "charts/ChartRows.h"
#include "protocol/DateTimeRecord.h"
#include "protocol/MemoryRecord.h"
#include "recording/Workbook.h"

#include <span>

// "Zapisz dane…" as a workbook: the table's columns with the time as a date
// and time (with seconds for rows of a second) and every value a number, an
// unknown one an empty cell. `localTimes` holds each row's local time.
Workbook::Sheet chartSheet(std::span<const ChartRow> rows,
                           std::span<const DateTimeRecord> localTimes);

// A record of the panel's memory as a point of the chart window, at `utc`
// with the local offset in force; values the record lacks or that are one of
// the panel's special codes are unknown.
ChartRow panelRecordRow(const MemoryRecord& record, std::int64_t utc, std::int32_t offset);
