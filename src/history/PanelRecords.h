#pragma once

#include "history/HistoryRows.h"
#include "history/LocalTimeResolver.h"
#include "protocol/MemoryRecord.h"

#include <vector>

// A panel clock may run somewhat ahead of the computer's, or still be on
// summer time: a record up to this long after the download is taken as made
// just before it, not a year earlier. Otherwise a record gets the latest year
// that puts it at or before the download (memoryRecordTime).
inline constexpr int kPanelClockAheadSeconds = 2 * 3600;

// The panel's records as history rows, in the order of the memory. Special
// codes ("Brak rekordu", "Błąd pomiaru", ...) and quantities the record does
// not hold are unknown. Records whose time cannot be placed are left out and
// counted.
struct PanelRecordRows {
    std::vector<PanelRecordRow> rows;
    int unreadable = 0;
};
PanelRecordRows panelRecordRows(const std::vector<MemoryRecord>& records,
                                const LocalDateTime& download, const ZoneRules& zone);
