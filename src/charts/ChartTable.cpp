#include "charts/ChartTable.h"

#include "charts/DerivedValues.h"
#include "display/ValueFormat.h"

#include <charconv>
#include <cmath>

namespace {

double mean(const ChartRow& row, Quantity q) {
    return row[q].mean;
}

std::string fixed(double value, int decimals) {
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed, decimals);
    if (ec != std::errc{}) {
        return "???";
    }
    std::string text(buffer.data(), end);
    return text == "-0" || text == "-0.0" ? text.substr(1) : text;
}

} // namespace

const char* columnTitle(TableColumn column) {
    switch (column) {
    case TableColumn::Temperature:
        return "Temperatura °C";
    case TableColumn::Pressure:
        return "Ciśnienie hPa";
    case TableColumn::Humidity:
        return "Wilgotność %";
    case TableColumn::Speed:
        return "Prędkość m/s";
    case TableColumn::Direction:
        return "Kierunek °";
    case TableColumn::SpeedMax:
        return "Prędkość maks. m/s";
    case TableColumn::DewPoint:
        return "Punkt rosy °C";
    case TableColumn::WindChill:
        return "Temperatura odczuwalna °C";
    case TableColumn::Beaufort:
        return "Skala Beauforta";
    }
    return "";
}

int columnDecimals(TableColumn column) {
    return column == TableColumn::Direction || column == TableColumn::Beaufort ? 0 : 1;
}

double columnValue(const ChartRow& row, TableColumn column) {
    switch (column) {
    case TableColumn::Temperature:
        return mean(row, Quantity::TEMP);
    case TableColumn::Pressure:
        return mean(row, Quantity::PRESS);
    case TableColumn::Humidity:
        return mean(row, Quantity::RH);
    case TableColumn::Speed:
        return mean(row, Quantity::SPEED);
    case TableColumn::Direction:
        return mean(row, Quantity::ORIENT);
    case TableColumn::SpeedMax:
        return row[Quantity::SPEED].max;
    case TableColumn::DewPoint:
        return dewPoint(mean(row, Quantity::TEMP), mean(row, Quantity::RH)).value_or(kUnknown);
    case TableColumn::WindChill:
        return windChill(mean(row, Quantity::TEMP), mean(row, Quantity::SPEED)).value_or(kUnknown);
    case TableColumn::Beaufort: {
        const auto b = beaufortNumber(mean(row, Quantity::SPEED));
        return b ? static_cast<double>(*b) : kUnknown;
    }
    }
    return kUnknown;
}

std::string valueText(double value, int decimals) {
    if (!std::isfinite(value)) {
        return "???";
    }
    // Stored readings are whole tenths: rounding drops the single precision's noise.
    return fixed(value, decimals);
}

std::string columnText(const ChartRow& row, TableColumn column) {
    return valueText(columnValue(row, column), columnDecimals(column));
}

std::string csvHeader() {
    std::string line = "Data i Godzina";
    for (const TableColumn c : kTableColumns) {
        line += ',';
        line += columnTitle(c);
    }
    return line + "\r\n";
}

std::string csvLine(const std::string& timeStamp, const ChartRow& row) {
    std::string line = timeStamp;
    for (const TableColumn c : kTableColumns) {
        line += ',';
        line += columnText(row, c);
    }
    return line + "\r\n";
}

std::string readoutText(const std::string& timeText, const ChartRow& row) {
    const auto shown = [&](const char* name, double value, int kind) {
        std::string text = name;
        if (!std::isfinite(value)) {
            return text + " brak danych";
        }
        return text + " " + formatDisplayValue(value, kind, true).text;
    };
    const double t = mean(row, Quantity::TEMP);
    const double speed = mean(row, Quantity::SPEED);
    std::string text = timeText + ": ";
    text += shown("temperatura", t, DisplayKind::Temperature);
    text += ", " +
            shown("punkt rosy", columnValue(row, TableColumn::DewPoint), DisplayKind::Temperature);
    text += ", " + shown("temperatura odczuwalna", columnValue(row, TableColumn::WindChill),
                         DisplayKind::Temperature);
    text += ", " + shown("wilgotność", mean(row, Quantity::RH), DisplayKind::Humidity);
    text += ", " + shown("ciśnienie", mean(row, Quantity::PRESS), DisplayKind::Pressure);
    text += ", " + shown("prędkość wiatru", speed, DisplayKind::Speed);
    const double gust = row[Quantity::SPEED].max;
    if (row.seconds > 1 && std::isfinite(gust)) {
        text += " (maks. " + formatDisplayValue(gust, DisplayKind::Speed, true).text + ")";
    }
    if (const auto b = beaufortNumber(speed)) {
        text += ", " + std::to_string(*b) + " w skali Beauforta";
    }
    text += ", " + shown("kierunek", mean(row, Quantity::ORIENT), DisplayKind::Direction);
    return text;
}
