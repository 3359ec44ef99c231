#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

// The median, 99th percentile and maximum of times measured one by one, as
// the benchmark's counters (in microseconds, as given).
inline void reportPercentiles(benchmark::State& state, std::vector<double>& micros) {
    if (micros.empty()) {
        return;
    }
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) {
        return micros[std::min(micros.size() - 1, static_cast<std::size_t>(q * micros.size()))];
    };
    state.counters["median_us"] = at(0.5);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = micros.back();
}
