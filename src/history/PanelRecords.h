#pragma once

#include "history/HistoryRows.h"
#include "history/LocalTimeResolver.h"
#include "protocol/MemoryRecord.h"

#include <optional>
#include <string_view>
#include <vector>

// The panel's memory keeps local panel time without a year ("MM-DD hh:mm").
struct PanelTime {
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;

    friend bool operator==(const PanelTime&, const PanelTime&) = default;
};

std::optional<PanelTime> parsePanelTime(std::string_view timeText);

// A panel clock may run somewhat ahead of the computer's, or still be on
// summer time: a record up to this long after the download is taken as made
// just before it, not a year earlier.
inline constexpr int kPanelClockAheadSeconds = 2 * 3600;

// The year of a record: the latest year that puts it at or before the
// download (local time, allowing for the panel clock running ahead as
// above), so a memory read in January places December's records in the year
// before. A 29 February goes to the latest leap year that qualifies: the
// panel's clock only shows that date in a leap year. Empty for a date that
// exists in no year (30 February, 31 April, month 13) or a time that no
// clock shows.
std::optional<LocalDateTime> recordDateTime(const PanelTime& time, const LocalDateTime& download);

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
