#pragma once

#include "history/HistoryRows.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// How a raw row's and a minute row's values are kept in the history file: one
// small byte string each instead of a column per value, so that a week of
// minutes or a day of seconds reads back in a few milliseconds and a year of
// minutes stays small. A version byte comes first; then for each value that is
// known a bit in a presence byte and the value as a zig-zag varint
// (LEB128 of (v << 1) ^ (v >> 31)). Counts are plain varints.
namespace RowCodec {

std::string encodeValues(const std::array<StoredValue, 5>& values);
// Empty for bytes this code did not write (another version, cut short).
std::optional<std::array<StoredValue, 5>> decodeValues(std::string_view bytes);

// The quantities and the direction at the highest speed; time, offset and
// source are columns of their own.
std::string encodeMinute(const MinuteRow& row);
bool decodeMinute(std::string_view bytes, MinuteRow& row);

} // namespace RowCodec
