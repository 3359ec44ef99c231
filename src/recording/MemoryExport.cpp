#include "recording/MemoryExport.h"

#include "recording/MemoryValueText.h"
#include "text/Cp1250.h"

namespace {

constexpr std::string_view kTimePadding = "   ";

// Spaces after a value in the text layout, and after "???" in its place.
struct Padding {
    int afterValue;
    int afterUnknown;
};

Padding padding(MemoryQuantity quantity) {
    switch (quantity) {
    case MemoryQuantity::Temperature:
        return {7, 8};
    case MemoryQuantity::Humidity:
        return {6, 7};
    case MemoryQuantity::Pressure:
        return {4, 6};
    case MemoryQuantity::Direction:
        return {7, 7};
    case MemoryQuantity::Speed:
        return {4, 5};
    }
    return {0, 0};
}

} // namespace

std::string MemoryExport::linesFor(const MemoryRecord& record) {
    const RecordParts parts = record.parts();
    std::string lines;
    if (!previousParts || !(*previousParts == parts)) {
        lines = headerLine(parts);
        previousParts = parts;
    }
    lines += dataLine(record);
    return cp1250::fromUtf8(lines);
}

std::string MemoryExport::writeFailureMessage(const std::string& path, const std::string& cause) {
    return "Błąd zapisu do pliku „" + path + "”: " + cause + ".";
}

std::string MemoryExport::allLines(const std::vector<MemoryRecord>& records, bool csv) {
    MemoryExport out(csv);
    std::string bytes;
    // About 60 bytes a line; one allocation for a typical export.
    bytes.reserve(records.size() * 64 + 256);
    for (const MemoryRecord& r : records) {
        bytes += out.linesFor(r);
    }
    return bytes;
}

std::string MemoryExport::headerLine(const RecordParts& parts) const {
    const char* separator = csv ? "," : "\t";
    std::string line = "Data i Godzina";
    const auto column = [&](const char* caption) {
        line += separator;
        line += caption;
    };
    if (parts.tempHum || parts.tempHumPress) {
        column("Temperatura");
        column("Wilgotność");
    }
    if (parts.tempHumPress || parts.pressure) {
        column("Ciśnienie");
    }
    if (parts.wind) {
        column("Kierunek");
        column("Prędkość");
    }
    line += "\r\n";
    return line;
}

std::string MemoryExport::dataLine(const MemoryRecord& record) const {
    const char separator = csv ? ',' : '\t';
    std::string line = record.timeText;
    if (!csv) {
        line += kTimePadding;
    }
    line += separator;
    bool first = true;
    const auto value = [&](MemoryQuantity quantity, int v) {
        if (!first) {
            line += separator;
        }
        first = false;
        const bool unknown = !memorySpecialText(quantity, v).empty();
        line += unknown ? "???" : memoryValueText(quantity, v);
        if (!csv) {
            const Padding pad = padding(quantity);
            line.append(static_cast<std::size_t>(unknown ? pad.afterUnknown : pad.afterValue), ' ');
        }
    };
    if (record.hasTemperature()) {
        value(MemoryQuantity::Temperature, record.temperatureTenths);
        value(MemoryQuantity::Humidity, record.humidityTenths);
    }
    if (record.hasPressureValue()) {
        value(MemoryQuantity::Pressure, record.pressureTenths);
    }
    if (record.hasWind) {
        value(MemoryQuantity::Direction, record.directionDegrees);
        value(MemoryQuantity::Speed, record.speedTenths);
    }
    line += "\r\n";
    return line;
}
