#pragma once

#include "protocol/DateTimeRecord.h"
#include "protocol/MemoryRecord.h"
#include "recording/Workbook.h"

#include <vector>

// The memory dialog's list as a workbook sheet "Pamięć": the list's columns
// in its order ("Nr", "Data i czas", "Temperatura", ...), the values as
// numbers, each record's time as a date and time in the year that puts it at
// or before the download, and an empty cell wherever the list shows the text
// of a special code or nothing.
Workbook::Sheet memorySheet(const std::vector<MemoryRecord>& records,
                            const DateTimeRecord& downloadedAt);
