#include "recording/RecordWriter.h"

RecordWriter::RecordWriter(std::unique_ptr<ReportFile> file) : file_(std::move(file)) {
    builder_.fileOpened();
}

RecordWriter::Result RecordWriter::write(const RecordColumns& columns, bool csv,
                                         const DateTimeRecord& localTime, const PanelData& panel,
                                         bool linkUp) {
    // Until the name can be taken again the lines are lost, and the streak
    // told once goes on.
    if (file_->nameGone()) {
        if (!file_->reopen()) {
            return Result::Lost;
        }
        builder_.fileOpened();
    }
    const RecordLineBuilder::Line line = builder_.next(columns, csv, localTime, panel, linkUp);
    if (file_->writeLine(line.bytes)) {
        builder_.written(line);
        failing_ = false;
        return Result::Written;
    }
    if (failing_) {
        return Result::Lost;
    }
    failing_ = true;
    return Result::FailureBegins;
}
