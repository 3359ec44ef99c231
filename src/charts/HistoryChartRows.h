#pragma once

#include "charts/ChartRows.h"
#include "history/HistoryRows.h"

// The measurement history's rows as the chart window draws and lists them:
// tenths become units, an empty value stays unknown. The wind direction of a
// minute or a day is its vector mean; its arc is not drawn.
ChartRow chartRowOf(const RawRow& second);
ChartRow chartRowOf(const MinuteRow& minute);
ChartRow chartRowOf(const PanelRecordRow& record);
DayRow dayRowOf(const DaySummary& day);
// A day as one row of a view of years: from its local midnight (with the
// offset in force then) over 24 hours, lowest, mean and highest value.
ChartRow chartRowOf(const DaySummary& day, std::int32_t offset);
