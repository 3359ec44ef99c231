// Live-recording lines from any panel data: any readings (NaN, infinities,
// huge numbers), any sensor and error flags, any column set, both layouts.
// Each line ends in one CR LF; the data line starts with the 19-character
// time stamp and holds one separator for each wanted column, like its header.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "protocol/PanelData.h"
#include "recording/RecordLine.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

namespace {

double anyDouble(FuzzInput& in) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits = bits << 8 | in.byte();
    }
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The line without its CR LF, after checking that it ends in one.
std::string oneLine(const std::string& bytes) {
    fuzzCheck(bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0,
              "a line ends in CR LF");
    const std::string line = bytes.substr(0, bytes.size() - 2);
    fuzzCheck(line.find_first_of("\r\n") == std::string::npos, "a line holds no line break");
    return line;
}

int count(const std::string& s, char c) {
    int n = 0;
    for (const char x : s) {
        n += x == c ? 1 : 0;
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t choice = in.byte();
    RecordColumns columns;
    columns.temperature = (choice & 1) != 0;
    columns.pressure = (choice & 2) != 0;
    columns.humidity = (choice & 4) != 0;
    columns.speed = (choice & 8) != 0;
    columns.direction = (choice & 16) != 0;
    const bool csv = (choice & 32) != 0;
    const bool linkUp = (choice & 64) != 0;

    PanelData panel;
    int* const flags[] = {&panel.ch1Present,    &panel.ch2Present,       &panel.modelTq231,
                          &panel.modelTq232,    &panel.modelTq233,       &panel.modelTq264,
                          &panel.ch1MeasError,  &panel.ch2MeasError,     &panel.ch1CalError,
                          &panel.ch2CalError,   &panel.temperatureError, &panel.humidityError,
                          &panel.pressureError, &panel.speedError,       &panel.directionError};
    const int bits = in.word();
    for (std::size_t i = 0; i < std::size(flags); ++i) {
        *flags[i] = (bits >> (i % 16)) & 1;
    }
    panel.temperature = anyDouble(in);
    panel.pressure = anyDouble(in);
    panel.humidity = anyDouble(in);
    panel.windSpeed = anyDouble(in);
    panel.windDirection = static_cast<int>(static_cast<std::uint32_t>(in.word()) << 16 |
                                           static_cast<std::uint32_t>(in.word()));

    // The shell hands in the computer's local time, always a real one.
    DateTimeRecord now;
    now.year = static_cast<std::uint16_t>(in.word() % 10000);
    now.month = static_cast<std::uint16_t>(1 + in.byte() % 12);
    now.day = static_cast<std::uint16_t>(1 + in.byte() % 31);
    now.hour = static_cast<std::uint16_t>(in.byte() % 24);
    now.minute = static_cast<std::uint16_t>(in.byte() % 60);
    now.second = static_cast<std::uint16_t>(in.byte() % 60);

    const char separator = csv ? ',' : '\t';
    const int wanted = int(columns.temperature) + int(columns.pressure) + int(columns.humidity) +
                       int(columns.speed) + int(columns.direction);
    const std::string header = oneLine(RecordLine::header(columns, csv));
    const std::string line = oneLine(RecordLine::data(columns, csv, now, panel, linkUp));
    fuzzCheck(count(header, separator) == wanted, "one separator before each caption");
    fuzzCheck(line.size() >= 20 && line[19] == separator,
              "the 19-character time stamp, then the separator");
    fuzzCheck(count(line, separator) == std::max(1, wanted),
              "one separator after the time stamp and one between two values");
    if (!linkUp) {
        fuzzCheck(count(line, '?') == 3 * wanted, "with the link down every value is ???");
    }
    return 0;
}
