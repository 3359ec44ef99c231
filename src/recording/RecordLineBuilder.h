#pragma once

#include "protocol/DateTimeRecord.h"
#include "recording/RecordColumns.h"

#include <optional>
#include <string>

class PanelData;

// Which header the open recording file last received, so that a line is
// preceded by a header after every opening of the file and after every
// change of the columns.
class RecordLineBuilder {
public:
    struct Line {
        std::string bytes; // header (when due) and data line, for one write
        std::optional<RecordColumns> headerFor;
    };

    // A file has just been opened: its first line gets a header.
    void fileOpened() { lastHeaderSet_.reset(); }

    Line next(const RecordColumns& columns, bool csv, const DateTimeRecord& localTime,
              const PanelData& panel, bool linkUp) const;

    // The line reached the file. Only then does its header count as written:
    // a lost line must not leave the file without a header.
    void written(const Line& line);

    const std::optional<RecordColumns>& lastHeaderSet() const { return lastHeaderSet_; }

private:
    std::optional<RecordColumns> lastHeaderSet_;
};
