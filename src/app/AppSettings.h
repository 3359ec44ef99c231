#pragma once

#include <string>

// The main window's rectangle in screen pixels, frame included.
struct WindowRect {
    int left = 100;
    int top = 100;
    int right = 700;
    int bottom = 500;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
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

    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};
