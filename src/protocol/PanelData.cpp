#include "protocol/PanelData.h"

#include <algorithm>
#include <cstring>

namespace {

// Reply letters at positions 1 and (for the memory commands) 2, by state.
struct ReplyLetters {
    char first;
    char second; // 0: no second letter
};

ReplyLetters lettersFor(PollState state) {
    switch (state) {
    case READ_STATUS:
        return {'K', 0};
    case READ_DIRECTION:
        return {'A', 0};
    case READ_SPEED:
        return {'V', 0};
    case READ_HUMIDITY:
        return {'H', 0};
    case READ_PRESSURE:
        return {'P', 0};
    case READ_TEMPERATURE:
        return {'T', 0};
    case READ_VERSION:
        return {'F', 0};
    case READ_POWER_SAVING:
        return {'I', 0};
    case READ_SERIAL_CH2:
        return {'L', 0};
    case READ_SERIAL_CH1:
        return {'N', 0};
    case READ_INTERVAL:
        return {'Q', 0};
    case SET_TIME:
        return {'B', 0};
    case SET_DATE:
        return {'C', 0};
    case READ_CLOCK:
        return {'O', 0};
    case READ_MEMORY:
        return {'E', 'R'};
    case WRITE_MEMORY:
        return {'E', 'W'};
    case RESET_PANEL:
        return {'G', 0};
    case ERASE_MEMORY:
        return {'E', 'S'};
    case WRITE_POWER_SAVING:
        return {'J', 0};
    default:
        return {0, 0};
    }
}

// Decoders over the last-line copy. Callers have checked the length, so every
// position read lies inside the line. Bytes outside the digit ranges are not
// rejected: they decode to whatever their values give.
class Fields {
public:
    explicit Fields(const std::uint8_t* line) : line_(line) {}

    int digit(int pos) const { return static_cast<int>(line_[pos]) - 0x30; }
    int decimal(int pos, int count) const {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            value = value * 10 + digit(pos + i);
        }
        return value;
    }
    int offsetHex(int pos, int count) const {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            value = value * 16 + digit(pos + i);
        }
        return value;
    }

private:
    const std::uint8_t* line_;
};

int bit(int byte, int n) {
    return (byte >> n) & 1;
}

} // namespace

bool PanelData::parseReply(const std::uint8_t* line, int length, PollState state) {
    // The copy is made first, for every call; a length outside 0..89 (or a
    // missing buffer) is clamped for the copy and the reply rejected.
    const bool lengthOk = line != nullptr && length >= 0 && length <= kMaxLineLength;
    const int copied = line == nullptr ? 0 : std::clamp(length, 0, kMaxLineLength);
    if (copied > 0) {
        std::memmove(lastLine.data(), line, static_cast<std::size_t>(copied));
    }
    lastLineLength = copied;
    if (!lengthOk) {
        return false;
    }

    const ReplyLetters expected = lettersFor(state);
    if (expected.first == 0 || length < 2 || lastLine[1] != expected.first) {
        return false;
    }
    if (expected.second != 0 && (length < 3 || lastLine[2] != expected.second)) {
        return false;
    }

    const Fields f(lastLine.data());
    switch (state) {
    case READ_STATUS: {
        if (length != 12) {
            return false;
        }
        const int b1 = f.offsetHex(2, 2);
        const int b2 = f.offsetHex(4, 2);
        const int b3 = f.offsetHex(6, 2);
        const int b4 = f.offsetHex(8, 2);
        ch2Present = 1 - bit(b1, 7);
        ch2MeasError = bit(b1, 5);
        ch1Present = 1 - bit(b1, 3);
        ch1MeasError = bit(b1, 1);
        pressureError = bit(b2, 7);
        ch1CalError = bit(b2, 6);
        temperatureError = bit(b2, 5);
        humidityError = bit(b2, 4);
        memoryFull = bit(b2, 3);
        ch2CalError = bit(b2, 2);
        speedError = bit(b2, 1);
        directionError = bit(b2, 0);
        cpuTestError = bit(b3, 7);
        lowBattery = bit(b3, 6);
        eepromErrorA = bit(b3, 4);
        eepromErrorB = bit(b3, 3);
        clockError = bit(b3, 2);
        modelTq233 = bit(b4, 7);
        modelTq232 = bit(b4, 2);
        modelTq231 = bit(b4, 1);
        modelTq264 = bit(b4, 0);
        return true;
    }
    case READ_DIRECTION:
        if (length != 7) {
            return false;
        }
        windDirection = f.decimal(2, 3);
        return true;
    case READ_SPEED:
        if (length != 8) {
            return false;
        }
        windSpeed = f.decimal(2, 4) * 0.1;
        return true;
    case READ_HUMIDITY:
        if (length != 8) {
            return false;
        }
        humidity = f.decimal(2, 4) * 0.1;
        return true;
    case READ_PRESSURE:
        if (length != 9) {
            return false;
        }
        pressure = f.decimal(2, 5) * 0.1;
        return true;
    case READ_TEMPERATURE:
        if (length == 8) {
            temperature = f.decimal(2, 4) * 0.1;
            return true;
        }
        if (length == 9) {
            // Position 2 carries the sign and is not examined.
            temperature = -(f.decimal(3, 4) * 0.1);
            return true;
        }
        return false;
    case READ_VERSION:
        if (length != 6) {
            return false;
        }
        firmwareVersion = f.offsetHex(2, 2) * 0.01;
        return true;
    case READ_POWER_SAVING:
        if (length != 6) {
            return false;
        }
        powerSavingFlags = f.offsetHex(2, 2);
        return true;
    case READ_SERIAL_CH2:
        if (length != 8) {
            return false;
        }
        serialCh2 = f.offsetHex(2, 4);
        return true;
    case READ_SERIAL_CH1:
        if (length != 8) {
            return false;
        }
        serialCh1 = f.offsetHex(2, 4);
        return true;
    case READ_INTERVAL:
        if (length != 6) {
            return false;
        }
        recordInterval = f.offsetHex(2, 2);
        return true;
    case SET_TIME:
        return length == 4;
    case SET_DATE:
        if (length != 4) {
            return false;
        }
        dateSetAck = 1;
        return true;
    case READ_CLOCK:
        if (length != 12) {
            return false;
        }
        clock.minute = static_cast<std::uint16_t>(f.decimal(2, 2));
        clock.hour = static_cast<std::uint16_t>(f.decimal(4, 2));
        clock.day = static_cast<std::uint16_t>(f.decimal(6, 2));
        // Position 8 is not examined.
        clock.month = static_cast<std::uint16_t>(f.digit(9));
        clockValid = 1;
        return true;
    case READ_MEMORY:
        if (length != 7) {
            return false;
        }
        memoryByte = f.offsetHex(3, 2);
        memoryByteValid = 1;
        return true;
    case WRITE_MEMORY:
        return length == 5;
    case RESET_PANEL:
        if (length != 4) {
            return false;
        }
        resetAck = 1;
        return true;
    case ERASE_MEMORY:
        if (length != 5) {
            return false;
        }
        eraseAck = 1;
        return true;
    case WRITE_POWER_SAVING:
        // The panel's acknowledgement is recorded, but the reply is never
        // counted as valid: it always takes the invalid-reply path.
        if (length == 4) {
            powerSavingAck = 1;
        }
        return false;
    default:
        return false;
    }
}

bool PanelData::isAvailable(Quantity q, bool linkUp) const {
    if (!linkUp) {
        return false;
    }
    switch (q) {
    case Quantity::TEMP:
    case Quantity::RH:
        return ch1Present && (modelTq231 || modelTq232);
    case Quantity::PRESS:
        return ch1Present && (modelTq232 || modelTq233);
    case Quantity::SPEED:
    case Quantity::ORIENT:
        return ch2Present && modelTq264;
    }
    return false;
}

bool PanelData::isFaulty(Quantity q) const {
    switch (q) {
    case Quantity::TEMP:
        return ch1MeasError || temperatureError || ch1CalError;
    case Quantity::RH:
        return ch1MeasError || humidityError || ch1CalError;
    case Quantity::PRESS:
        return ch1MeasError || pressureError || ch1CalError;
    case Quantity::SPEED:
        return ch2MeasError || speedError || ch2CalError;
    case Quantity::ORIENT:
        return ch2MeasError || directionError || ch2CalError;
    }
    return false;
}

double PanelData::value(Quantity q) const {
    switch (q) {
    case Quantity::TEMP:
        return temperature;
    case Quantity::RH:
        return humidity;
    case Quantity::PRESS:
        return pressure;
    case Quantity::SPEED:
        return windSpeed;
    case Quantity::ORIENT:
        return static_cast<double>(windDirection);
    }
    return 0.0;
}
