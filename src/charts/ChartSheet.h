#pragma once

#include "charts/ChartRows.h"
#include "protocol/DateTimeRecord.h"
#include "recording/Workbook.h"

#include <span>

// "Zapisz dane…" as a workbook: the table's columns with the time as a date
// and time (with seconds for rows of a second) and every value a number, an
// unknown one an empty cell. `localTimes` holds each row's local time.
Workbook::Sheet chartSheet(std::span<const ChartRow> rows,
                           std::span<const DateTimeRecord> localTimes);
