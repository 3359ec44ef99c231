#include "cli/CtlText.h"

#include "admin/AdminTexts.h"
#include "admin/PanelClock.h"
#include "admin/PanelInfoText.h"
#include "admin/PowerSaving.h"
#include "cli/CtlCommand.h"
#include "protocol/MemoryDownload.h"
#include "recording/RecordingSettings.h"
#include "text/Cp1250.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace CtlText {

namespace {

// As the recording file writes a value: fixed decimals, a decimal point
// whatever the locale.
std::string number(double value, int decimals) {
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    return error == std::errc{} ? std::string(buffer.data(), end) : std::string("null");
}

struct JsonQuantity {
    Quantity quantity;
    const char* key;
    int decimals;
};

// The recording file's order and decimals.
constexpr std::array<JsonQuantity, 5> kQuantities{{
    {Quantity::TEMP, "temperature", 1},
    {Quantity::PRESS, "pressure", 1},
    {Quantity::RH, "humidity", 1},
    {Quantity::SPEED, "wind_speed", 1},
    {Quantity::ORIENT, "wind_direction", 0},
}};

std::string channelJson(bool present, const std::string& model, int serial) {
    if (!present) {
        return "null";
    }
    return "{\"model\":" + (model.empty() ? std::string("null") : jsonString(model)) +
           ",\"serial_number\":" + std::to_string(serial) + "}";
}

std::string trimEnd(std::string text) {
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

} // namespace

std::string jsonString(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string readingJson(const Reading& reading, std::string_view isoTime) {
    std::string line = "{\"time\":" + jsonString(isoTime);
    for (const JsonQuantity& q : kQuantities) {
        const QuantityReading& value = reading[q.quantity];
        line += ",\"";
        line += q.key;
        line += "\":";
        line += value.known ? number(value.value, q.decimals) : "null";
    }
    return line + "}";
}

std::string linkJson(bool up, std::string_view status) {
    std::string text(status);
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return std::string("{\"link\":\"") + (up ? "up" : "down") +
           "\",\"status\":" + jsonString(text) + "}";
}

std::string terminalLine(std::string_view fileLine) {
    std::string line = cp1250::toUtf8(fileLine);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

std::string panelInfoText(const PanelData& data) {
    const PanelInfoTexts t = panelInfoTexts(data);
    return trimEnd(t.panel) + "\n" + trimEnd(t.channel1) + "\n" + trimEnd(t.channel2) + "\n" +
           trimEnd(t.remarks);
}

std::string panelInfoJson(const PanelData& data) {
    std::string json =
        "{\"firmware_version\":" + number(data.firmwareVersion, 2) +
        ",\"record_interval_minutes\":" + std::to_string(data.recordInterval) +
        ",\"power_saving\":" +
        (PowerSaving::isOn(PowerSaving::registerFromReply(data.powerSavingFlags)) ? "true"
                                                                                  : "false") +
        ",\"channel1\":" + channelJson(data.ch1Present, channel1Model(data), data.serialCh1) +
        ",\"channel2\":" + channelJson(data.ch2Present, channel2Model(data), data.serialCh2) +
        ",\"remarks\":[";
    bool first = true;
    for (const std::string& remark : panelRemarks(data)) {
        json += (first ? "" : ",") + jsonString(remark);
        first = false;
    }
    return json + "]}";
}

std::string panelClockText(const DateTimeRecord& computerNow, const DateTimeRecord& panelClock) {
    char text[96];
    if (const auto shown = panelClockShown(computerNow, panelClock)) {
        std::snprintf(text, sizeof text, "Zegar panelu: %04d-%02d-%02d %02d:%02d", shown->year,
                      shown->month, shown->day, shown->hour, shown->minute);
    } else {
        // A clock no calendar has; shown as the panel sent it.
        std::snprintf(text, sizeof text, "Zegar panelu: %02d-%02d %02d:%02d (niepoprawna data)",
                      panelClock.month, panelClock.day, panelClock.hour, panelClock.minute);
    }
    return text;
}

std::string recordingSettingsText(int recordInterval, int configByte) {
    namespace RS = RecordingSettings;
    const auto yesNo = [](bool yes) { return yes ? "tak" : "nie"; };
    const auto interval = RS::intervalText(recordInterval);
    std::string text =
        std::string(RS::kRecordingBoxText) + ": " + yesNo(interval.has_value()) + "\n";
    if (interval) {
        text += std::string(RS::kIntervalLabel) + ": " + *interval + " " + RS::kMinutesLabel + "\n";
    }
    const RS::ConfigView view = RS::viewOfConfigByte(configByte);
    text += std::string(RS::kLayoutGroupTitle) + ": ";
    if (view.layout) {
        const auto i = static_cast<std::size_t>(*view.layout);
        text += std::string(RS::layoutChoices()[i].text) + " (" + layoutName(*view.layout) + ")\n";
    } else {
        char byte[48];
        std::snprintf(byte, sizeof byte, "nieznany układ (bajt 0x%02X)\n", configByte & 0xFF);
        text += byte;
    }
    if (view.windLayout) {
        text += std::string(RS::kMaxWindText) + ": " + yesNo(view.maxWind) + "\n";
    }
    return trimEnd(text);
}

std::string powerSavingText(int registerValue) {
    return std::string(AdminTexts::kPowerSaving) + ": " +
           (PowerSaving::isOn(registerValue) ? "włączony" : "wyłączony");
}

std::string progressText(int bytesStored) {
    constexpr int kWidth = 30;
    const int range = MemoryDownload::kProgressRange;
    const int filled = std::min(bytesStored, range) * kWidth / range;
    char count[32];
    std::snprintf(count, sizeof count, "] %4d B", bytesStored);
    return "Odczyt pamięci: [" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kWidth - filled), '.') + count;
}

std::string withoutQuestion(std::string_view text) {
    const std::size_t lastBreak = text.rfind('\n');
    if (lastBreak != std::string_view::npos && text.ends_with('?')) {
        return std::string(text.substr(0, lastBreak));
    }
    return std::string(text);
}

} // namespace CtlText
