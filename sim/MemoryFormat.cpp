#include "MemoryFormat.h"

#include <algorithm>

namespace tq820sim::memory {

namespace {

constexpr std::array<int, layoutCount> sizes{5, 8, 3, 2, 5, 3, 6};

std::uint8_t bcd(int value) {
    return std::uint8_t((value / 10) << 4 | value % 10);
}

int bit(int value, int n) {
    return (value >> n) & 1;
}

// TH and W parts share one shape: an 11-bit and a 10-bit value, low 7 bits each in their
// own byte, the rest gathered in K.
void appendPair(std::vector<std::uint8_t>& out, int eleven, int ten) {
    eleven = std::clamp(eleven, 0, 2047);
    ten = std::clamp(ten, 0, 1023);
    const int k = bit(eleven, 8) << 0 | bit(eleven, 9) << 1 | bit(eleven, 10) << 2 |
                  bit(eleven, 7) << 3 | bit(ten, 8) << 4 | bit(ten, 9) << 5 | bit(ten, 7) << 6;
    out.push_back(std::uint8_t(k));
    out.push_back(std::uint8_t(eleven & 0x7F));
    out.push_back(std::uint8_t(ten & 0x7F));
}

void appendPressure(std::vector<std::uint8_t>& out, int tenths) {
    const int p = std::clamp(tenths, 0, 32767);
    out.push_back(std::uint8_t(((p >> 8) & 0x7F) | (p & 0x80)));
    out.push_back(std::uint8_t(p & 0x7F));
}

} // namespace

int recordSize(int layout) {
    return layout >= 0 && layout < layoutCount ? sizes[std::size_t(layout)] : 0;
}

bool hasTemperatureHumidity(int layout) {
    return layout == 0 || layout == 1 || layout == 5 || layout == 6;
}

bool hasPressure(int layout) {
    return layout == 0 || layout == 1 || layout == 3 || layout == 4;
}

bool hasWind(int layout) {
    return layout == 1 || layout == 2 || layout == 4 || layout == 6;
}

int temperatureSpecial(Special s) {
    return -410 + int(s);
}
int humiditySpecial(Special s) {
    return 1023 - int(s);
}
int directionSpecial(Special s) {
    return humiditySpecial(s);
}
int pressureSpecial(Special s) {
    return 32639 - int(s);
}
int speedSpecial(Special s) {
    return 2047 - int(s);
}

std::vector<std::uint8_t> encodeRecord(int layout, const RecordValues& v) {
    std::vector<std::uint8_t> out;
    if (hasTemperatureHumidity(layout))
        appendPair(out, v.temperatureTenths + 410, v.humidityTenths);
    if (hasPressure(layout))
        appendPressure(out, v.pressureTenths);
    if (hasWind(layout))
        appendPair(out, v.speedTenths, v.directionDegrees);
    return out;
}

std::array<std::uint8_t, 6> encodeHeader(const CivilTime& start, int layout, int interval) {
    return {blockStart,
            bcd(start.minute),
            bcd(start.hour),
            bcd(start.day),
            std::uint8_t((layout & 0x0F) << 4 | (start.month & 0x0F)),
            std::uint8_t(interval)};
}

} // namespace tq820sim::memory
