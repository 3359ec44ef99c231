#pragma once

#include "history/HistoryRows.h"
#include "history/LocalTimeResolver.h"

#include <array>
#include <optional>
#include <string_view>

// Reads back a recording file that the live recorder wrote: either layout,
// Windows-1250, any subset of the columns in any order, "???" for unknown
// values, and a header line whenever the columns changed. Fed one line at a
// time (with or without its CR LF); each data line becomes one second of
// readings in UTC. A line that is neither a readable header nor a data line
// under the last readable header is counted and skipped; empty lines are
// ignored.
class RecordFileParser {
public:
    explicit RecordFileParser(const ZoneRules& zone) : resolver_(zone) {}

    std::optional<RawRow> line(std::string_view bytes);
    // A line that could not even be taken in whole (far too long).
    void skip() { ++skipped_; }

    // Data lines read so far, and lines skipped because they could not be read.
    int readLines() const { return read_; }
    int skippedLines() const { return skipped_; }

private:
    struct Header {
        char separator = ',';
        int count = 0;
        std::array<Quantity, 5> quantities{};
    };

    bool readHeader(std::string_view text);
    std::optional<RawRow> readData(std::string_view bytes);

    LocalTimeResolver resolver_;
    std::optional<Header> header_;
    int read_ = 0;
    int skipped_ = 0;
};
