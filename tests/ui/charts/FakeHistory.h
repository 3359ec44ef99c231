#pragma once

// A measurement history made up on demand for the chart window's tests and
// benchmarks: a year of minutes and two days of seconds of smooth weather up
// to `now`, with a gap of an hour, a one-minute temperature spike and, for the
// last two days, a panel record every half hour.

#include "charts/ChartRows.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

class FakeHistory : public ChartSource {
public:
    explicit FakeHistory(std::int64_t now) : now(now) {}

    std::int64_t now;
    std::int64_t first() const { return now - 366LL * 86400; }
    std::int64_t rawSince() const { return now - 48LL * 3600; }
    std::int64_t gapFrom() const { return now - 30LL * 3600; }
    std::int64_t gapTo() const { return now - 29LL * 3600; }
    std::int64_t spikeAt() const { return (now - 20LL * 3600) / 60 * 60; }
    std::string error;  // every call fails with it
    bool empty = false; // no rows at all
    std::atomic<int> rowCalls{0};
    std::atomic<int> lastResolution{-1};

    static double tenths(double v) { return std::round(v * 10.0) / 10.0; }
    static double temperature(double t) {
        return 10.0 + 8.0 * std::sin(2 * std::numbers::pi * std::fmod(t, 86400.0) / 86400.0);
    }
    static double humidity(double t) {
        return 60.0 + 20.0 * std::cos(2 * std::numbers::pi * t / 86400.0);
    }
    static double pressure(double t) { return 1013.0 + 8.0 * std::sin(t / (5 * 86400.0)); }
    static double speed(double t) { return 4.0 + 3.0 * std::sin(t / 5400.0); }
    static double direction(double t) { return std::fmod(t / 120.0, 360.0); }

    ChartRow rowAt(std::int64_t utc, int seconds) const {
        ChartRow r;
        r.utc = utc;
        r.seconds = seconds;
        const double t = static_cast<double>(utc);
        const double half = seconds / 2.0;
        const auto band = [&](double (*f)(double)) {
            const double a = tenths(f(t));
            const double b = tenths(f(t + half));
            const double c = tenths(f(t + std::max(seconds - 1, 0)));
            return Band{static_cast<float>(std::min({a, b, c})), static_cast<float>(b),
                        static_cast<float>(std::max({a, b, c}))};
        };
        r[Quantity::TEMP] = band(&temperature);
        r[Quantity::RH] = band(&humidity);
        r[Quantity::PRESS] = band(&pressure);
        r[Quantity::SPEED] = band(&speed);
        r[Quantity::ORIENT] = Band::of(tenths(direction(t)));
        if (utc == spikeAt() && seconds == 60) {
            r[Quantity::TEMP].max = 35.0F;
        }
        return r;
    }

    Rows rows(std::int64_t from, std::int64_t to, Resolution resolution) override {
        ++rowCalls;
        lastResolution = static_cast<int>(resolution);
        Rows out;
        out.error = error;
        if (!error.empty() || empty) {
            return out;
        }
        const int step = resolution == Resolution::Raw      ? 1
                         : resolution == Resolution::Minute ? 60
                                                            : 86400;
        std::int64_t t = std::max(from, resolution == Resolution::Raw ? rawSince() : first());
        t = (t + step - 1) / step * step;
        for (; t < std::min(to, now); t += step) {
            if (t >= gapFrom() && t < gapTo()) {
                continue;
            }
            out.rows.push_back(rowAt(t, step));
        }
        return out;
    }

    Rows panelRecords(std::int64_t from, std::int64_t to) override {
        Rows out;
        out.error = error;
        if (!error.empty() || empty) {
            return out;
        }
        for (std::int64_t t = std::max(from, rawSince()) / 1800 * 1800 + 1800;
             t < std::min(to, now); t += 1800) {
            ChartRow r = rowAt(t, 0);
            r[Quantity::TEMP] = Band::of(tenths(temperature(t) + 0.5));
            out.rows.push_back(r);
        }
        return out;
    }

    Days days(std::int32_t fromDay, std::int32_t toDay) override {
        Days out;
        out.error = error;
        if (!error.empty() || empty) {
            return out;
        }
        for (std::int32_t d =
                 std::max<std::int32_t>(fromDay, static_cast<std::int32_t>(first() / 86400));
             d <= toDay && std::int64_t{d} * 86400 < now; ++d) {
            DayRow day;
            day.day = d;
            const std::int64_t start = std::int64_t{d} * 86400;
            day.values[quantityIndex(Quantity::TEMP)] = {2.0, start + 64800, 18.0, start + 21600,
                                                         10.0};
            day.values[quantityIndex(Quantity::RH)] = {40.0, start + 43200, 80.0, start, 60.0};
            day.values[quantityIndex(Quantity::PRESS)] = {1005.1, start + 3600, 1012.4,
                                                          start + 80000, 1009.0};
            day.values[quantityIndex(Quantity::SPEED)] = {1.0, start + 1000, 7.0, start + 50000,
                                                          4.0};
            day.values[quantityIndex(Quantity::ORIENT)].mean = 225.0;
            day.directionAtMaxSpeed = 270.0;
            out.days.push_back(day);
        }
        return out;
    }
};
