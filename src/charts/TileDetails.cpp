#include "charts/TileDetails.h"

#include "charts/DerivedValues.h"
#include "display/ValueFormat.h"

namespace {

std::optional<double> known(const Reading& reading, Quantity q) {
    const QuantityReading& r = reading[q];
    if (!r.known || r.faulty) {
        return std::nullopt;
    }
    return r.value;
}

std::string temperatureText(double value) {
    return formatDisplayValue(value, DisplayKind::Temperature, true).text;
}

} // namespace

TileDetails tileDetails(const Reading& reading) {
    TileDetails details;
    const auto t = known(reading, Quantity::TEMP);
    const auto rh = known(reading, Quantity::RH);
    const auto speed = known(reading, Quantity::SPEED);
    auto& temperature = details[quantityIndex(Quantity::TEMP)];
    if (t && rh) {
        if (const auto d = dewPoint(*t, *rh)) {
            temperature.push_back("Punkt rosy: " + temperatureText(*d));
        }
    }
    if (t && speed) {
        if (const auto c = windChill(*t, *speed)) {
            temperature.push_back("Temperatura odczuwalna: " + temperatureText(*c));
        }
    }
    if (speed) {
        if (const auto b = beaufortNumber(*speed)) {
            details[quantityIndex(Quantity::SPEED)].push_back(
                "Skala Beauforta: " + std::to_string(*b) + " (" + beaufortName(*b) + ")");
        }
    }
    return details;
}
