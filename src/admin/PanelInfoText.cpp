#include "admin/PanelInfoText.h"

#include "admin/AdminTexts.h"

#include <algorithm>
#include <cstdio>

namespace {

// printf-style formatting into a std::string; the texts are short.
template <typename... Args> std::string format(const char* pattern, Args... args) {
    char buffer[128];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
    return n < 0 ? std::string() : std::string(buffer, std::min<std::size_t>(n, sizeof buffer - 1));
}

std::string channel1Text(const PanelData& d) {
    std::string text = "Kanał 1:\n";
    if (!d.ch1Present) {
        return text + "Brak urządzenia";
    }
    const std::string model = channel1Model(d);
    if (!model.empty()) {
        text += model + ", ";
    }
    return text + format("numer seryjny %d", d.serialCh1);
}

std::string channel2Text(const PanelData& d) {
    std::string text = "Kanał 2:\n";
    if (!d.ch2Present) {
        return text + "Brak urządzenia";
    }
    const std::string model = channel2Model(d);
    if (!model.empty()) {
        text += model + ", ";
    }
    return text + format("numer seryjny %d", d.serialCh2);
}

std::string panelText(const PanelData& d) {
    std::string text = format("Panel TQ-820:\nWersja oprogramowania: %.02f\n", d.firmwareVersion);
    if (d.recordInterval > 0) {
        text += format("Zapis pomiarów do pamięci co: %02d:%02d\n", d.recordInterval / 60,
                       d.recordInterval % 60);
    } else {
        text += "Brak zapisu pomiarów do pamięci\n";
    }
    if (d.powerSavingFlags & 1) {
        text += std::string(AdminTexts::kPowerSaving) + "\n";
    }
    return text;
}

std::string remarksText(const PanelData& d) {
    std::string text = "Uwagi:\n";
    for (const std::string& line : panelRemarks(d)) {
        text += line + "\n";
    }
    return text;
}

} // namespace

PanelInfoTexts panelInfoTexts(const PanelData& data) {
    return {panelText(data), channel1Text(data), channel2Text(data), remarksText(data)};
}

std::string channel1Model(const PanelData& d) {
    // In this order of precedence.
    if (d.modelTq231) {
        return "TQ-231";
    }
    if (d.modelTq232) {
        return "TQ-232";
    }
    if (d.modelTq233) {
        return "TQ-233";
    }
    return {};
}

std::string channel2Model(const PanelData& d) {
    return d.modelTq264 ? "TQ-264" : std::string();
}

std::vector<std::string> panelRemarks(const PanelData& d) {
    std::vector<std::string> lines;
    if (d.lowBattery) {
        lines.emplace_back("Słaba Bateria");
    }
    if (d.cpuTestError) {
        lines.emplace_back("Błąd testu procesora");
    }
    if (d.eepromErrorA || d.eepromErrorB) {
        lines.emplace_back("Błąd pamięci EEPROM");
    }
    if (d.memoryFull) {
        lines.emplace_back("Cały obszar pamięci jest zajęty");
    }
    if (d.clockError) {
        lines.emplace_back("Błąd zegara");
    }
    return lines;
}
