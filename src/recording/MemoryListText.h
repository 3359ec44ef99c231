#pragma once

#include "protocol/MemoryRecord.h"

#include <string>

// The columns of the memory list, left to right.
enum class MemoryColumn { Number, Time, Temperature, Humidity, Pressure, Direction, Speed };

inline constexpr int kMemoryColumnCount = 7;

// The column's title in the list ("Nr", "Data i czas", "Temperatura", ...).
const char* memoryColumnTitle(MemoryColumn column);

// The text of one cell of the list for the record shown in row `row`
// (counted from 0): the row number from 1, the time, and each value the
// record holds as a measurement or as the text of its special code. Columns
// of parts the record does not hold are empty.
std::string memoryCellText(const MemoryRecord& record, int row, MemoryColumn column);
