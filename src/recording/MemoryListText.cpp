#include "recording/MemoryListText.h"

#include "recording/MemoryValueText.h"

namespace {

std::string valueOrSpecial(MemoryQuantity quantity, int value) {
    const std::string_view special = memorySpecialText(quantity, value);
    return special.empty() ? memoryValueText(quantity, value) : std::string(special);
}

} // namespace

std::string memoryCellText(const MemoryRecord& record, int row, MemoryColumn column) {
    switch (column) {
    case MemoryColumn::Number:
        return std::to_string(row + 1);
    case MemoryColumn::Time:
        return record.timeText;
    case MemoryColumn::Temperature:
        return record.hasTemperature()
                   ? valueOrSpecial(MemoryQuantity::Temperature, record.temperatureTenths)
                   : std::string();
    case MemoryColumn::Humidity:
        return record.hasTemperature()
                   ? valueOrSpecial(MemoryQuantity::Humidity, record.humidityTenths)
                   : std::string();
    case MemoryColumn::Pressure:
        return record.hasPressureValue()
                   ? valueOrSpecial(MemoryQuantity::Pressure, record.pressureTenths)
                   : std::string();
    case MemoryColumn::Direction:
        return record.hasWind ? valueOrSpecial(MemoryQuantity::Direction, record.directionDegrees)
                              : std::string();
    case MemoryColumn::Speed:
        return record.hasWind ? valueOrSpecial(MemoryQuantity::Speed, record.speedTenths)
                              : std::string();
    }
    return {};
}

const char* memoryColumnTitle(MemoryColumn column) {
    switch (column) {
    case MemoryColumn::Number:
        return "Nr";
    case MemoryColumn::Time:
        return "Data i czas";
    case MemoryColumn::Temperature:
        return "Temperatura";
    case MemoryColumn::Humidity:
        return "Wilgotność";
    case MemoryColumn::Pressure:
        return "Ciśnienie";
    case MemoryColumn::Direction:
        return "Kierunek";
    case MemoryColumn::Speed:
        return "Prędkość";
    }
    return "";
}
