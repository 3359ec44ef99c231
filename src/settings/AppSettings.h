#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

// The main window's rectangle in screen pixels, frame included.
struct WindowRect {
    // No screen has edges farther out than this (Qt's own widget limit); within
    // it, sums and differences of edges cannot overflow an int.
    static constexpr int kMaxCoordinate = 1 << 24;

    int left = 100;
    int top = 100;
    int right = 700;
    int bottom = 500;

    // Edges may come from outside: the difference is taken in 64 bits and
    // saturated, never overflowed.
    int width() const { return span(left, right); }
    int height() const { return span(top, bottom); }
    // Every edge within reach of a screen, with a width and height of at least 1.
    bool isSane() const {
        const auto within = [](int v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; };
        return within(left) && within(top) && within(right) && within(bottom) && width() >= 1 &&
               height() >= 1;
    }
    friend bool operator==(const WindowRect&, const WindowRect&) = default;

private:
    static int span(int from, int to) {
        const std::int64_t d = std::int64_t{to} - from;
        return static_cast<int>(std::clamp<std::int64_t>(d, std::numeric_limits<int>::min(),
                                                         std::numeric_limits<int>::max()));
    }
};

// The settings record owned by the main window, with the built-in defaults.
struct AppSettings {
    int portNumber = 0; // PORT_NR; 0 or less: no port configured
    WindowRect windowRect;
    std::string recordFileName; // FILE_NAME, UTF-8
    int recordEnabled = 0;      // FILE_LOG
    int recordCsv = 0;          // FILE_CSV
    int recordIntervalSeconds = 1;
    int recordTemp = 1;
    int recordRh = 1;
    int recordPress = 1;
    int recordSpeed = 1;
    int recordOrient = 1;
    int topmost = 0; // TOPMOST
    // The "Wykresy" window: its rectangle, its range (0 the last hour .. 4 a
    // year, 5 a range of its own from chartFrom to chartTo, seconds since 1970).
    WindowRect chartRect{80, 80, 1080, 840}; // CHART_LEFT, CHART_TOP, CHART_RIGHT, CHART_BOTTOM
    int chartRange = 1;                      // CHART_RANGE
    long long chartFrom = 0;                 // CHART_FROM, a text
    long long chartTo = 0;                   // CHART_TO, a text
    // The measurement history.
    int historyEnabled = 1;      // HISTORY_ON
    int historyRawHours = 48;    // HISTORY_RAW_HOURS: hours the raw readings are kept
    std::string historyFileName; // HISTORY_FILE, UTF-8; empty: the default place

    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};
