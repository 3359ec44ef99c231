#pragma once

#include "protocol/DateTimeRecord.h"
#include "protocol/Quantity.h"
#include "recording/RecordColumns.h"

#include <array>
#include <string>
#include <string_view>

class PanelData;

// The lines of a live-recording file, as the Windows-1250 bytes that go to
// the disk, each ending in CR LF. Pure functions of their inputs: the time
// stamp is handed in and the panel data is only read.
namespace RecordLine {

// One column of the file: the quantity, whether it is wanted, its caption
// (UTF-8), the decimals of its values and, in the text layout, the spaces
// after a value and after "???".
struct Column {
    Quantity quantity;
    bool RecordColumns::*wanted;
    std::string_view caption;
    int decimals;
    int spacesAfterValue;
    int spacesAfterUnknown;
};

// The columns in the file's own order, not the dialog's or the tiles'. What
// reads the files back (the history's import) takes the captions from here.
const std::array<Column, 5>& columns();

// "Data i Godzina" and the captions of the wanted columns.
std::string header(const RecordColumns& columns, bool csv);

// The local time stamp and the value of every wanted column, or "???" when
// its quantity is not available or in error. The text layout pads every value
// with spaces so that the columns line up under the captions.
std::string data(const RecordColumns& columns, bool csv, const DateTimeRecord& localTime,
                 const PanelData& panel, bool linkUp);

} // namespace RecordLine
