#include "display/ValueFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// Fixed-point text with the given decimals, always with a '.' whatever the
// process locale (the Qt shell sets the user's locale, and a Polish one would
// turn printf's point into a comma).
std::string fixed(double value, int decimals) {
    std::array<char, 400> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::fixed, decimals);
    if (ec != std::errc{}) {
        return "???";
    }
    return std::string(buffer.data(), end);
}

} // namespace

double convertForDisplay(double value, int sourceKind, int displayKind) {
    if (sourceKind == DisplayKind::Irradiance && displayKind == DisplayKind::Illuminance) {
        return value * 0.6802721088435374;
    }
    if (sourceKind == DisplayKind::Illuminance && displayKind == DisplayKind::Irradiance) {
        return value * 1.47;
    }
    return value;
}

double truncateToTenths(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    // Nine decimals round away the binary noise of a whole tenth (21.4 is
    // stored as 21.3999...) but keep every real digit of a reading; then the
    // decimal text is cut after the first decimal.
    std::string text = fixed(value, 9);
    const auto point = text.find('.');
    if (point != std::string::npos) {
        text.resize(point + 2);
    }
    double result = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    // -0.05 truncates to zero: show 0.0, not -0.0.
    return result == 0.0 ? 0.0 : result;
}

FormattedValue formatDisplayValue(double displayValue, int displayKind, bool showUnit) {
    if (displayKind < DisplayKind::Irradiance || displayKind > DisplayKind::Ppm) {
        return {};
    }
    if (!std::isfinite(displayValue)) {
        return {"???", false};
    }
    struct Format {
        int decimals;
        std::string_view unit;
    };
    static constexpr std::array<Format, 9> formats{{
        {0, ""},
        {1, " W/m"},
        {2, " kLx"},
        {1, " °C"},
        {0, " °"},
        {1, " hPa"},
        {1, " m/s"},
        {1, " %"},
        {0, " ppm"},
    }};
    const Format& format = formats[static_cast<std::size_t>(displayKind)];
    double value = displayValue;
    if (displayKind == DisplayKind::Temperature && showUnit) {
        value = truncateToTenths(value);
    }
    FormattedValue result;
    result.text = fixed(value, format.decimals);
    if (showUnit) {
        result.text += format.unit;
        result.raisedTwo = displayKind == DisplayKind::Irradiance;
    }
    return result;
}
