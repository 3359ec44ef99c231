#pragma once

#include "charts/ChartRows.h"

#include <array>
#include <string>

// The columns of the chart window's table and of the data it saves: the
// recording file's columns in their order, then the maximum wind speed and
// the derived values. A minute's or a day's row gives its means.
enum class TableColumn {
    Temperature,
    Pressure,
    Humidity,
    Speed,
    Direction,
    SpeedMax,
    DewPoint,
    WindChill,
    Beaufort,
};

inline constexpr std::array<TableColumn, 9> kTableColumns{
    TableColumn::Temperature, TableColumn::Pressure,  TableColumn::Humidity,
    TableColumn::Speed,       TableColumn::Direction, TableColumn::SpeedMax,
    TableColumn::DewPoint,    TableColumn::WindChill, TableColumn::Beaufort};

// The column's caption with its unit ("Temperatura °C"), UTF-8.
const char* columnTitle(TableColumn column);
// Digits after the decimal point.
int columnDecimals(TableColumn column);
// The column's value of a row; NaN when unknown.
double columnValue(const ChartRow& row, TableColumn column);
// The value as the table and the CSV file write it ("21.5", "270"); "???"
// when unknown.
std::string columnText(const ChartRow& row, TableColumn column);

// A value with `decimals` digits after the point, "???" when unknown.
std::string valueText(double value, int decimals);

// The comma-separated list of rows as the program writes its lists: a header
// line "Data i Godzina,Temperatura °C,...", then one line a row starting with
// its local time stamp "yyyy.MM.dd HH:mm:ss", one decimal, "???" for an
// unknown value, CR LF. UTF-8; the file is Windows-1250.
std::string csvHeader();
std::string csvLine(const std::string& timeStamp, const ChartRow& row);

// The line a screen reader announces for the row under the cursor, after the
// time text given: every value with its name and unit, "brak danych" for an
// unknown one.
std::string readoutText(const std::string& timeText, const ChartRow& row);
