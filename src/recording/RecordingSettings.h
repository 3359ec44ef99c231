#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The rules of "Ustawienia rejestracji": the panel's recording configuration
// byte (memory address 1) both ways, the interval (address 0) and which
// controls are usable.
//
// Configuration byte: bits 7..4 the record layout code, bit 3 "record the
// maximum wind speed of the interval", bits 2..0 zero.
namespace RecordingSettings {

constexpr int kMinInterval = 1;
constexpr int kMaxInterval = 239;
constexpr int kMaxWindBit = 0x08;
constexpr int kLayoutCount = 7;

// The dialog's captions and its range message (UTF-8).
inline constexpr const char* kRecordingBoxText = "Zapisuj pomiary do pamięci";
inline constexpr const char* kIntervalLabel = "Interwał rejestracji";
inline constexpr const char* kMinutesLabel = "min.";
inline constexpr const char* kLayoutGroupTitle = "Rejestracja pomiarów";
inline constexpr const char* kMaxWindText = "Zapisz maksymalną prędkość wiatru z okresu interwału";
inline constexpr const char* kIntervalOutOfRange =
    "Interwał powinien zawierać się w przedziale od 1 do 239 minut.";

// One radio button of the group "Rejestracja pomiarów".
struct LayoutChoice {
    const char* text; // UTF-8
    int configByte;   // layout code in the high nibble
    bool windLayout;  // the maximum-wind option applies
};

// The radio buttons in their order in the dialog. The full five-quantity
// layout holds wind values too but has no maximum-wind option.
const std::array<LayoutChoice, kLayoutCount>& layoutChoices();

// What the dialog shows for a configuration byte read from the panel.
struct ConfigView {
    std::optional<int> layout; // index into layoutChoices(); none for an unknown byte
    bool maxWind = false;
    bool windLayout = false;
};
ConfigView viewOfConfigByte(int configByte);

// The configuration byte written for the dialog's choice: the selected
// layout's byte (0x00 when none is selected), plus the maximum-wind bit when
// the layout takes it and the box is ticked.
int configByteOf(std::optional<int> layout, bool windLayout, bool maxWindTicked);

// The interval field's text for an interval read from the panel; none when
// the panel does not record (0 or less), which clears "Zapisuj pomiary do
// pamięci".
std::optional<std::string> intervalText(int recordInterval);

// The number the interval field holds: its leading decimal digits, 0 when
// there are none. Digits beyond any valid interval saturate instead of
// overflowing.
int intervalFromField(std::string_view text);

bool intervalInRange(int minutes);

// Which controls are enabled once the panel's values are shown.
struct ControlStates {
    bool layouts = false;  // the seven radio buttons
    bool interval = false; // the interval field
    bool maxWind = false;  // "Zapisz maksymalną prędkość wiatru z okresu interwału"
};
ControlStates controlStates(bool recordingTicked, bool windLayout);

} // namespace RecordingSettings
