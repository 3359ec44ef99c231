#pragma once

#include "protocol/DateTimeRecord.h"

#include <string>
#include <variant>
#include <vector>

// A spreadsheet workbook (.xlsx) of one sheet with typed columns: numbers are
// stored as numbers and times as date-times, so a spreadsheet set to any
// language reads them without guessing (a Polish one turns the text "21.5"
// into 21 May). Qt-free; libxlsxwriter writes the file.
namespace Workbook {

enum class ColumnType { Number, DateTime, Text };

struct Column {
    std::string title; // UTF-8, in bold on the first row
    ColumnType type = ColumnType::Text;
    int decimals = 0;     // numbers: digits after the decimal point
    bool seconds = false; // date-times: show the seconds
};

// An unknown value: the cell stays empty.
struct Empty {
    friend bool operator==(Empty, Empty) = default;
};
using Cell = std::variant<Empty, double, DateTimeRecord, std::string>;

struct Sheet {
    std::string name; // the sheet's tab, UTF-8, at most 31 characters
    std::vector<Column> columns;
    // A row shorter than the columns has empty cells at its end.
    std::vector<std::vector<Cell>> rows;
};

// Writes the workbook to `path`. It is made beside the file under another
// name, flushed to the disk and renamed over the file, keeping an old file's
// permissions: a failure leaves the old file as it was and never a partial
// workbook under the name. Returns an empty text on success, else the cause
// in Polish ("brak miejsca na dysku").
std::string write(const Sheet& sheet, const std::string& path);

} // namespace Workbook
