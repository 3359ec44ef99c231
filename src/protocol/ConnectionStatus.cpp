#include "protocol/ConnectionStatus.h"

#include <cstdio>

namespace {

constexpr std::array<Quantity, 5> kTileOrder{Quantity::TEMP, Quantity::PRESS, Quantity::RH,
                                             Quantity::SPEED, Quantity::ORIENT};

std::string recordingPiece(int intervalSeconds) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Rejestracja do pliku co %02d:%02d:%02d. ",
                  intervalSeconds / 3600, intervalSeconds % 3600 / 60, intervalSeconds % 60);
    return buffer;
}

} // namespace

StatusUpdate ConnectionStatus::updateStatus(const PanelData& data, bool linkUp,
                                            int recordingIntervalSeconds) {
    StatusUpdate update;
    const bool ch1 = data.ch1Present != 0;
    const bool ch2 = data.ch2Present != 0;
    const bool tq231 = data.modelTq231 != 0;
    const bool tq232 = data.modelTq232 != 0;
    const bool tq233 = data.modelTq233 != 0;
    // modelTq264 is left out: the wind tiles depend only on channel 2.
    if (linkUp != linkUp_ || ch2 != ch2Present_ || ch1 != ch1Present_ || tq231 != modelTq231_ ||
        tq232 != modelTq232_ || tq233 != modelTq233_) {
        linkUp_ = linkUp;
        ch2Present_ = ch2;
        ch1Present_ = ch1;
        modelTq231_ = tq231;
        modelTq232_ = tq232;
        modelTq233_ = tq233;
        update.visibilityChanged = true;
    }
    for (const Quantity q : kAllQuantities) {
        update.visible[static_cast<std::size_t>(quantityIndex(q))] = tileVisible(q, data, linkUp);
    }

    update.text = buildStatusText(data, linkUp, recordingIntervalSeconds);
    if (update.text != shownText_) {
        shownText_ = update.text;
        update.textChanged = true;
    }

    for (std::size_t i = 0; i < kTileOrder.size(); ++i) {
        TileCommand& tile = update.tiles[i];
        tile.quantity = kTileOrder[i];
        tile.hasValue = data.isAvailable(tile.quantity, linkUp);
        tile.value = tile.hasValue ? data.value(tile.quantity) : 0.0;
        tile.blinking = tile.hasValue ? data.isFaulty(tile.quantity) : true;
    }
    return update;
}

bool ConnectionStatus::refreshText(const PanelData& data, int recordingIntervalSeconds,
                                   std::string& text) {
    std::string fresh = buildStatusText(data, linkUp_, recordingIntervalSeconds);
    if (fresh == shownText_) {
        return false;
    }
    shownText_ = fresh;
    text = std::move(fresh);
    return true;
}

std::string ConnectionStatus::buildStatusText(const PanelData& data, bool linkUp,
                                              int recordingIntervalSeconds) {
    const bool a = data.ch1Present != 0;
    const bool b = data.ch2Present != 0;
    std::string text;
    if ((a || b) && linkUp) {
        text += "Urządzenia: ";
    } else if (linkUp) {
        text += "Komunikacja została nawiązana. Brak podłączonych urządzeń do panelu TQ-820. ";
    } else {
        text += "Brak komunikacji z panelem. ";
    }
    if (a && linkUp) {
        text += data.modelTq231 ? "TQ-231" : data.modelTq232 ? "TQ-232" : "TQ-233";
    }
    if (a && b && linkUp) {
        text += ", ";
    }
    if (b && linkUp) {
        text += "TQ-264";
    }
    if ((a || b) && linkUp) {
        text += ". ";
    }
    if (a && linkUp) {
        const bool tempHum = data.modelTq231 || data.modelTq232;
        if (tempHum) {
            if (data.temperatureError) {
                text += "Błąd pomiaru temperatury. ";
            }
            if (data.humidityError) {
                text += "Błąd pomiaru wilgotności. ";
            }
        }
        if (!data.modelTq231 && (data.modelTq232 || data.modelTq233) && data.pressureError) {
            text += "Błąd pomiaru ciśnienia. ";
        }
        if (data.ch1MeasError) {
            text += "Błąd pomiaru kanału 1. ";
        }
        if (data.ch1CalError) {
            text += "Błąd kalibracji kanału 1. ";
        }
    }
    if (b && linkUp) {
        if (data.modelTq264) {
            if (data.speedError) {
                text += "Błąd pomiaru prędkości. ";
            }
            if (data.directionError) {
                text += "Błąd pomiaru kierunku. ";
            }
        }
        if (data.ch2MeasError) {
            text += "Błąd pomiaru kanału 2. ";
        }
        if (data.ch2CalError) {
            text += "Błąd kalibracji kanału 2. ";
        }
    }
    if (recordingIntervalSeconds > 0) {
        text += recordingPiece(recordingIntervalSeconds);
    }
    return text;
}

bool ConnectionStatus::tileVisible(Quantity q, const PanelData& data, bool linkUp) {
    const bool a = data.ch1Present != 0;
    const bool b = data.ch2Present != 0;
    const bool allShown = !linkUp || (!a && !b);
    switch (q) {
    case Quantity::TEMP:
    case Quantity::RH:
        return (a && (data.modelTq231 || data.modelTq232)) || allShown;
    case Quantity::PRESS:
        return (a && (data.modelTq232 || data.modelTq233)) || allShown;
    case Quantity::SPEED:
    case Quantity::ORIENT:
        return b || !linkUp || !a;
    }
    return false;
}
