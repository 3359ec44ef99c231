#include "charts/ChartSheet.h"

#include "charts/ChartTable.h"

#include <cmath>

Workbook::Sheet chartSheet(std::span<const ChartRow> rows,
                           std::span<const DateTimeRecord> localTimes) {
    using Workbook::ColumnType;
    Workbook::Sheet sheet;
    sheet.name = "Pomiary";
    const bool seconds = !rows.empty() && rows.front().seconds == 1;
    sheet.columns.push_back({"Data i czas", ColumnType::DateTime, 0, seconds});
    for (const TableColumn c : kTableColumns) {
        sheet.columns.push_back({columnTitle(c), ColumnType::Number, columnDecimals(c), false});
    }
    sheet.rows.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size() && i < localTimes.size(); ++i) {
        std::vector<Workbook::Cell> cells;
        cells.reserve(sheet.columns.size());
        cells.emplace_back(localTimes[i]);
        for (const TableColumn c : kTableColumns) {
            const double v = columnValue(rows[i], c);
            if (std::isfinite(v)) {
                // Whole tenths as stored, not the single precision's neighbours.
                const double scale = columnDecimals(c) == 0 ? 1.0 : 10.0;
                cells.emplace_back(std::round(v * scale) / scale);
            } else {
                cells.emplace_back(Workbook::Empty{});
            }
        }
        sheet.rows.push_back(std::move(cells));
    }
    return sheet;
}
