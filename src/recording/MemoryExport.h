#pragma once

#include "protocol/MemoryRecord.h"

#include <optional>
#include <string>
#include <vector>

// The lines of a memory export file, as Windows-1250 bytes with CR LF: a
// header line whenever a record's set of parts differs from the record before
// (and before the first), then one data line per record. The text layout
// separates the columns with a tab and pads them with spaces; the list layout
// uses a comma and no spaces. Special codes are written as "???".
class MemoryExport {
public:
    // The export file cannot be opened (UTF-8).
    static constexpr const char* kFileUnavailable = "Wybrany plik jest niedostępny.";
    // A write failed: the file and the cause.
    static std::string writeFailureMessage(const std::string& path, const std::string& cause);

    explicit MemoryExport(bool csv) : csv(csv) {}

    // The header line when needed and the data line of the next record.
    std::string linesFor(const MemoryRecord& record);

    // Every line of one export of `records`.
    static std::string allLines(const std::vector<MemoryRecord>& records, bool csv);

private:
    std::string headerLine(const RecordParts& parts) const;
    std::string dataLine(const MemoryRecord& record) const;

    bool csv;
    std::optional<RecordParts> previousParts;
};
