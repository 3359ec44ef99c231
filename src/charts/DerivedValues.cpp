#include "charts/DerivedValues.h"

#include <algorithm>
#include <array>
#include <cmath>

std::optional<double> dewPoint(double temperature, double humidity) {
    if (!std::isfinite(temperature) || !std::isfinite(humidity) || humidity <= 0.0) {
        return std::nullopt;
    }
    const double rh = std::min(humidity, 100.0);
    // Magnus form over water, WMO-No. 8 (2018), Annex 4.B: 6.112 hPa, 17.62, 243.12 °C.
    constexpr double b = 17.62;
    constexpr double c = 243.12;
    const double gamma = std::log(rh / 100.0) + b * temperature / (c + temperature);
    if (!std::isfinite(gamma) || gamma >= b) {
        return std::nullopt;
    }
    return c * gamma / (b - gamma);
}

std::optional<double> windChill(double temperature, double speedMs) {
    if (!std::isfinite(temperature) || !std::isfinite(speedMs) || speedMs < 0.0) {
        return std::nullopt;
    }
    const double kmh = speedMs * 3.6;
    if (temperature > 10.0 || kmh <= 4.8) {
        return temperature;
    }
    // Joint Action Group for Temperature Indices (Canada/US, 2001), speed in km/h at 10 m.
    const double v = std::pow(kmh, 0.16);
    return 13.12 + 0.6215 * temperature - 11.37 * v + 0.3965 * temperature * v;
}

std::optional<int> beaufortNumber(double speedMs) {
    if (!std::isfinite(speedMs) || speedMs < 0.0) {
        return std::nullopt;
    }
    // Lower limits of forces 1..12 in m/s, WMO Beaufort scale (WMO-No. 558, Table 3.1);
    // the limits are for speeds given in tenths, so the speed is rounded to tenths first.
    static constexpr std::array<int, 12> lowerTenths{3,   16,  34,  55,  80,  108,
                                                     139, 172, 208, 245, 285, 327};
    const double tenths = std::round(speedMs * 10.0);
    int force = 0;
    for (const int limit : lowerTenths) {
        if (tenths >= limit) {
            ++force;
        }
    }
    return force;
}

const char* beaufortName(int number) {
    static constexpr std::array<const char*, 13> names{"cisza",
                                                       "powiew",
                                                       "słaby wiatr",
                                                       "łagodny wiatr",
                                                       "umiarkowany wiatr",
                                                       "dość silny wiatr",
                                                       "silny wiatr",
                                                       "bardzo silny wiatr",
                                                       "sztorm",
                                                       "silny sztorm",
                                                       "bardzo silny sztorm",
                                                       "gwałtowny sztorm",
                                                       "huragan"};
    if (number < 0 || number > 12) {
        return "";
    }
    return names[static_cast<std::size_t>(number)];
}
