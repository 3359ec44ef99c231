#pragma once

#include <cstdint>

namespace tq820sim {

// One set of readings in the panel's units: degrees Celsius, % RH, hPa, m/s, degrees.
struct Readings {
    double temperature = 0;
    double humidity = 0;
    double pressure = 0;
    double windSpeed = 0;
    double windDirection = 0;
};

// Plausible Central-European weather as a pure function of the time: a seasonal mean,
// a daily cycle, slow weather systems and small fast fluctuations, all from smooth noise
// derived from the seed. Being stateless, the live readings, the recorded history and a
// record's maximum wind all agree with each other and are reproducible.
class Weather {
public:
    explicit Weather(std::uint64_t seed = 1) : seed(seed) {}

    // `seconds` counts from 1970-01-01 in the panel's civil time.
    Readings at(double seconds) const;

    // The highest wind speed in (from, to], sampled every ten seconds.
    double maxWindSpeed(double from, double to) const;

private:
    double noise(int channel, double position) const;

    std::uint64_t seed;
};

} // namespace tq820sim
