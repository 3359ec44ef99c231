#include "recording/RecordingSettings.h"

namespace RecordingSettings {

namespace {

constexpr std::array<LayoutChoice, kLayoutCount> kLayouts{{
    {"Temperatura, wilgotność, ciśnienie, kierunek, prędkość", 0x10, false},
    {"Temperatura, wilgotność, kierunek, prędkość", 0x60, true},
    {"Ciśnienie, kierunek, prędkość", 0x40, true},
    {"Temperatura, wilgotność, ciśnienie", 0x00, false},
    {"Temperatura, wilgotność", 0x50, false},
    {"Ciśnienie", 0x30, false},
    {"Kierunek, prędkość", 0x20, true},
}};

// Far above any valid interval, far below overflow.
constexpr int kFieldSaturation = 1000000;

} // namespace

const std::array<LayoutChoice, kLayoutCount>& layoutChoices() {
    return kLayouts;
}

ConfigView viewOfConfigByte(int configByte) {
    for (int i = 0; i < kLayoutCount; ++i) {
        const LayoutChoice& c = kLayouts[static_cast<std::size_t>(i)];
        if (configByte == c.configByte) {
            return {i, false, c.windLayout};
        }
        if (c.windLayout && configByte == (c.configByte | kMaxWindBit)) {
            return {i, true, true};
        }
    }
    // Any other byte (a layout with stray low bits, a code above 6, garbage)
    // selects nothing.
    return {};
}

int configByteOf(std::optional<int> layout, bool windLayout, bool maxWindTicked) {
    int byte = 0x00;
    if (layout && *layout >= 0 && *layout < kLayoutCount) {
        byte = kLayouts[static_cast<std::size_t>(*layout)].configByte;
    }
    if (windLayout && maxWindTicked) {
        byte += kMaxWindBit;
    }
    return byte;
}

std::optional<std::string> intervalText(int recordInterval) {
    if (recordInterval <= 0) {
        return std::nullopt;
    }
    return std::to_string(recordInterval);
}

int intervalFromField(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value >= kFieldSaturation) {
            return kFieldSaturation;
        }
    }
    return value;
}

bool intervalInRange(int minutes) {
    return minutes >= kMinInterval && minutes <= kMaxInterval;
}

ControlStates controlStates(bool recordingTicked, bool windLayout) {
    if (!recordingTicked) {
        return {};
    }
    return {true, true, windLayout};
}

} // namespace RecordingSettings
