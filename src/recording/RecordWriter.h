#pragma once

#include "protocol/DateTimeRecord.h"
#include "recording/RecordColumns.h"
#include "recording/RecordLineBuilder.h"
#include "recording/ReportFile.h"

#include <memory>

class PanelData;

// The lines of an open live-recording file, as the window program and
// tq820ctl write them: a header after every opening and every change of the
// columns, a file deleted meanwhile taken again under its name (a new file,
// header first) as soon as that is possible, and failed lines counted in
// streaks so that each streak is told once.
class RecordWriter {
public:
    enum class Result {
        Written,
        Lost,          // the line is lost; its streak has been told already
        FailureBegins, // the line is lost and a streak of failures begins: tell the user
    };

    // A file just opened, its lines going at its end.
    explicit RecordWriter(std::unique_ptr<ReportFile> file);

    Result write(const RecordColumns& columns, bool csv, const DateTimeRecord& localTime,
                 const PanelData& panel, bool linkUp);

    const ReportFile& file() const { return *file_; }

private:
    std::unique_ptr<ReportFile> file_;
    RecordLineBuilder builder_;
    bool failing_ = false;
};
