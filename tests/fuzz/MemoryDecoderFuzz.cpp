// Any memory content through the decoder, the list's cell texts and both
// export layouts. The decoder reads only the bytes it is given (ASan watches
// a buffer of exactly that size), ends in bounded time, and every record it
// makes carries a "MM-DD hh:mm" time; every export line ends in one CR LF.
#include "FuzzCheck.h"
#include "protocol/MemoryDecoder.h"
#include "recording/MemoryExport.h"
#include "recording/MemoryListText.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace {

bool isRecordTime(const std::string& t) {
    if (t.size() != 11 || t[2] != '-' || t[5] != ' ' || t[8] != ':') {
        return false;
    }
    for (const std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 9u, 10u}) {
        if (std::isdigit(static_cast<unsigned char>(t[i])) == 0) {
            return false;
        }
    }
    return true;
}

// Every line ends in CR LF and holds no other line break.
std::size_t countLines(const std::string& bytes) {
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            fuzzCheck(i > 0 && bytes[i - 1] == '\r', "LF only after CR");
            ++lines;
        } else if (bytes[i] == '\r') {
            fuzzCheck(i + 1 < bytes.size() && bytes[i + 1] == '\n', "CR only before LF");
        }
    }
    fuzzCheck(bytes.empty() || bytes.back() == '\n', "the export ends with a whole line");
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) {
        return 0; // the dialog stores no more than the memory holds
    }
    // A copy of exactly `size` bytes, so a read past them is caught.
    const std::vector<std::uint8_t> memory(data, data + size);
    const std::vector<MemoryRecord> records =
        decodeMemory(memory.data(), static_cast<int>(memory.size()));
    // A record takes at least two bytes, a block header six; one record
    // without parts may end the content.
    fuzzCheck(records.size() <= size / 2 + 1, "no more records than the bytes can hold");

    int row = 0;
    std::size_t partChanges = 0;
    for (const MemoryRecord& r : records) {
        fuzzCheck(isRecordTime(r.timeText), "a record's time reads MM-DD hh:mm", r.timeText);
        for (int c = 0; c < kMemoryColumnCount; ++c) {
            const std::string text = memoryCellText(r, row, static_cast<MemoryColumn>(c));
            fuzzCheck(text.find('\n') == std::string::npos, "a cell is one line");
        }
        if (row == 0 || !(records[static_cast<std::size_t>(row - 1)].parts() == r.parts())) {
            ++partChanges;
        }
        ++row;
    }
    for (const bool csv : {false, true}) {
        const std::string bytes = MemoryExport::allLines(records, csv);
        fuzzCheck(countLines(bytes) == records.size() + partChanges,
                  "one data line a record and a header at every change of parts");
    }
    return 0;
}
