#include "admin/PanelInfoText.h"

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
    // One model only, in this order of precedence, even if the status
    // reply flags more than one.
    if (d.modelTq231) {
        text += "TQ-231, ";
    } else if (d.modelTq232) {
        text += "TQ-232, ";
    } else if (d.modelTq233) {
        text += "TQ-233, ";
    }
    return text + format("numer seryjny %d", d.serialCh1);
}

std::string channel2Text(const PanelData& d) {
    std::string text = "Kanał 2:\n";
    if (!d.ch2Present) {
        return text + "Brak urządzenia";
    }
    if (d.modelTq264) {
        text += "TQ-264, ";
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
        text += "Tryb oszczędzania energii\n";
    }
    return text;
}

std::string remarksText(const PanelData& d) {
    std::string text = "Uwagi:\n";
    if (d.lowBattery) {
        text += "Słaba Bateria\n";
    }
    if (d.cpuTestError) {
        text += "Błąd testu procesora\n";
    }
    if (d.eepromErrorA || d.eepromErrorB) {
        text += "Błąd pamięci EEPROM\n";
    }
    if (d.memoryFull) {
        text += "Cały obszar pamięci jest zajęty\n";
    }
    if (d.clockError) {
        text += "Błąd zegara\n";
    }
    return text;
}

} // namespace

PanelInfoTexts panelInfoTexts(const PanelData& data) {
    return {panelText(data), channel1Text(data), channel2Text(data), remarksText(data)};
}
