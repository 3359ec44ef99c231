#include "recording/RecordLine.h"

#include "protocol/PanelData.h"
#include "text/Cp1250.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace {

using RecordLine::Column;

constexpr std::array<Column, 5> kColumns{{
    {Quantity::TEMP, &RecordColumns::temperature, "Temperatura °C", 1, 9, 11},
    {Quantity::PRESS, &RecordColumns::pressure, "Ciśnienie hPa", 1, 7, 9},
    {Quantity::RH, &RecordColumns::humidity, "Wilgotność %", 1, 8, 9},
    {Quantity::SPEED, &RecordColumns::speed, "Prędkość m/s", 1, 8, 9},
    {Quantity::ORIENT, &RecordColumns::direction, "Kierunek °", 0, 10, 6},
}};

// As "%.1f" (or "%.0f") in the C locale: the program's locale must not turn
// the decimal point into a comma, which would break the list layout. Any
// double fits the buffer (the largest has 309 digits before the point).
std::string formatValue(double value, int decimals) {
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc{}) {
        return "???";
    }
    return std::string(buffer.data(), end);
}

std::string timeStamp(const DateTimeRecord& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d.%02d.%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

} // namespace

namespace RecordLine {

const std::array<Column, 5>& columns() {
    return kColumns;
}

std::string header(const RecordColumns& columns, bool csv) {
    const char separator = csv ? ',' : '\t';
    // The text layout pads the caption to the width of a time stamp.
    std::string line = csv ? "Data i Godzina" : "Data i Godzina     ";
    for (const Column& c : kColumns) {
        if (columns.*c.wanted) {
            line += separator;
            line += c.caption;
        }
    }
    line += "\r\n";
    return cp1250::fromUtf8(line);
}

std::string data(const RecordColumns& columns, bool csv, const DateTimeRecord& localTime,
                 const PanelData& panel, bool linkUp) {
    const char separator = csv ? ',' : '\t';
    std::string line = timeStamp(localTime);
    line += separator;
    bool first = true;
    for (const Column& c : kColumns) {
        if (!(columns.*c.wanted)) {
            continue;
        }
        if (!first) {
            line += separator;
        }
        first = false;
        const bool known = panel.isAvailable(c.quantity, linkUp) && !panel.isFaulty(c.quantity);
        if (known) {
            line += formatValue(panel.value(c.quantity), c.decimals);
        } else {
            line += "???";
        }
        if (!csv) {
            line.append(static_cast<std::size_t>(known ? c.spacesAfterValue : c.spacesAfterUnknown),
                        ' ');
        }
    }
    line += "\r\n";
    return cp1250::fromUtf8(line);
}

} // namespace RecordLine
