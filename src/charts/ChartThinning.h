#pragma once

#include "charts/ChartRange.h"
#include "charts/ChartRows.h"

#include <array>
#include <span>
#include <vector>

// The series of the chart window for one view, at most a few points per pixel
// column: each column keeps the lowest and highest value of its rows, so a
// short spike is never averaged away, and the mean weighted by each row's
// length. A NaN value breaks the line: where a quantity is unknown, and where
// rows are missing (a gap in the history is a gap on the chart, never a line
// across it).
struct ChartSeries {
    std::vector<double> keys;                          // seconds since 1970
    std::array<std::vector<double>, 5> min, mean, max; // by quantityIndex
    // Derived from each column's means.
    std::vector<double> dewPoint, windChill;
    // The wind direction as dots: every 10° band a column's rows touch, once.
    std::vector<double> directionKeys, directions;
};

// Rows (in time order) thinned to `columns` columns across `view`; rows
// outside the view by more than a column are left out.
ChartSeries thinRows(std::span<const ChartRow> rows, TimeSpan view, int columns);

// Whether the time from one row's start to the next one's means rows are
// missing between them.
bool isGap(const ChartRow& before, const ChartRow& after);

// The row under the moment `t`: the last row starting at or before it, if it
// still covers `t` or no row is missing after it; else the first row after
// it, if `t` lies within half a row of its start. -1 when there is none.
int rowAt(std::span<const ChartRow> rows, double t);
