#pragma once

#include "protocol/DateTimeRecord.h"
#include "recording/RecordColumns.h"

#include <string>

class PanelData;

// The lines of a live-recording file, as the Windows-1250 bytes that go to
// the disk, each ending in CR LF. Pure functions of their inputs: the time
// stamp is handed in and the panel data is only read.
namespace RecordLine {

// "Data i Godzina" and the captions of the wanted columns.
std::string header(const RecordColumns& columns, bool csv);

// The local time stamp and the value of every wanted column, or "???" when
// its quantity is not available or in error. The text layout pads every value
// with spaces so that the columns line up under the captions.
std::string data(const RecordColumns& columns, bool csv, const DateTimeRecord& localTime,
                 const PanelData& panel, bool linkUp);

} // namespace RecordLine
