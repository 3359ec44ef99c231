#include "Weather.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tq820sim {

namespace {

std::uint64_t mix(std::uint64_t x) {
    // splitmix64 finaliser: a cheap, well-distributed hash.
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Mean temperature of the 15th of each month, lowland Poland.
constexpr std::array<double, 12> monthlyMean{-1.5, -0.5, 3.0,  8.5, 14.0, 17.0,
                                             19.0, 18.5, 14.0, 8.5, 3.5,  0.0};

double seasonalMean(double seconds) {
    // Day of year, continuous; month m's mean sits at day 30.44 * (m - 0.5).
    const double year = 365.2425 * 86400.0;
    const double dayOfYear = std::fmod(std::fmod(seconds, year) + year, year) / 86400.0;
    const double position = dayOfYear / 30.44 - 0.5;
    const double floorPos = std::floor(position);
    const int index = (int(floorPos) % 12 + 12) % 12;
    const double f = position - floorPos;
    return monthlyMean[std::size_t(index)] * (1 - f) +
           monthlyMean[std::size_t((index + 1) % 12)] * f;
}

} // namespace

double Weather::noise(int channel, double position) const {
    const double cell = std::floor(position);
    const double f = position - cell;
    const auto lattice = [&](double c) {
        const std::uint64_t h =
            mix(seed ^ mix(std::uint64_t(channel) << 56 ^ std::uint64_t(std::int64_t(c))));
        return double(h >> 11) / double(1ull << 53) * 2.0 - 1.0;
    };
    const double s = f * f * (3 - 2 * f);
    return lattice(cell) * (1 - s) + lattice(cell + 1) * s;
}

Readings Weather::at(double seconds) const {
    constexpr double hour = 3600.0;
    constexpr double day = 24 * hour;
    const double hourOfDay = std::fmod(std::fmod(seconds, day) + day, day) / hour;
    // Warmest at 15:00, coolest at 03:00.
    const double daily = std::cos(2 * std::numbers::pi * (hourOfDay - 15.0) / 24.0);

    Readings r;
    const double systems =
        3.5 * noise(1, seconds / (2.5 * day)) + 1.2 * noise(2, seconds / (4 * hour));
    r.temperature =
        seasonalMean(seconds) + 4.5 * daily + systems + 0.15 * noise(3, seconds / 120.0);
    r.temperature = std::clamp(r.temperature, -40.0, 60.0);

    r.humidity = 74.0 - 14.0 * daily + 12.0 * noise(4, seconds / (1.5 * day)) - 1.5 * systems +
                 1.5 * noise(5, seconds / 900.0);
    r.humidity = std::clamp(r.humidity, 18.0, 100.0);

    r.pressure = 1013.0 + 12.0 * noise(6, seconds / (3 * day)) +
                 3.0 * noise(7, seconds / (8 * hour)) + 0.2 * noise(8, seconds / 600.0);
    r.pressure = std::clamp(r.pressure, 950.0, 1055.0);

    // Calmer nights, breezier afternoons, gusts of a few seconds.
    const double base = std::max(0.3, 3.5 + 2.8 * noise(9, seconds / day) + 1.0 * daily);
    const double gust = base * (0.35 * noise(10, seconds / 15.0) + 0.15 * noise(11, seconds / 4.0));
    r.windSpeed = std::clamp(base + gust, 0.0, 45.0);

    const double direction =
        250.0 + 90.0 * noise(12, seconds / (1.5 * day)) + 12.0 * noise(13, seconds / 60.0);
    r.windDirection = std::fmod(std::fmod(direction, 360.0) + 360.0, 360.0);
    return r;
}

double Weather::maxWindSpeed(double from, double to) const {
    double best = 0;
    for (double t = to; t > from; t -= 10.0)
        best = std::max(best, at(t).windSpeed);
    return best;
}

} // namespace tq820sim
