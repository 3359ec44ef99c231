#include "recording/RecordLineBuilder.h"

#include "recording/RecordLine.h"

RecordLineBuilder::Line RecordLineBuilder::next(const RecordColumns& columns, bool csv,
                                                const DateTimeRecord& localTime,
                                                const PanelData& panel, bool linkUp) const {
    Line line;
    if (lastHeaderSet_ != columns) {
        line.bytes = RecordLine::header(columns, csv);
        line.headerFor = columns;
    }
    line.bytes += RecordLine::data(columns, csv, localTime, panel, linkUp);
    return line;
}

void RecordLineBuilder::written(const Line& line) {
    if (line.headerFor) {
        lastHeaderSet_ = line.headerFor;
    }
}
