#include "recording/MemoryValueText.h"

#include <array>

namespace {

// Indexed by the code's distance from the "Brak rekordu" code.
constexpr std::array<std::string_view, 5> kSpecialTexts{
    "Brak rekordu", "Błąd rekordu", "Błąd kalibracji", "Błąd pomiaru", "Brak danych"};

// The temperature codes count up from -410, the others down from their top.
// Widened, so that no value can overflow.
long long specialIndex(MemoryQuantity quantity, long long value) {
    switch (quantity) {
    case MemoryQuantity::Temperature:
        return value + 410;
    case MemoryQuantity::Humidity:
    case MemoryQuantity::Direction:
        return 1023 - value;
    case MemoryQuantity::Pressure:
        return 32639 - value;
    case MemoryQuantity::Speed:
        return 2047 - value;
    }
    return -1;
}

std::string tenthsText(int tenths) {
    // Widened first: the magnitude of INT_MIN does not fit an int.
    const long long v = tenths;
    const unsigned long long magnitude =
        v < 0 ? static_cast<unsigned long long>(-v) : static_cast<unsigned long long>(v);
    std::string text = v < 0 ? "-" : "";
    text += std::to_string(magnitude / 10);
    text += '.';
    text += static_cast<char>('0' + magnitude % 10);
    return text;
}

} // namespace

std::string_view memorySpecialText(MemoryQuantity quantity, int value) {
    const long long index = specialIndex(quantity, value);
    if (index < 0 || index >= static_cast<long long>(kSpecialTexts.size())) {
        return {};
    }
    return kSpecialTexts[static_cast<std::size_t>(index)];
}

std::string memoryValueText(MemoryQuantity quantity, int value) {
    if (quantity == MemoryQuantity::Direction) {
        return std::to_string(value);
    }
    return tenthsText(value);
}
