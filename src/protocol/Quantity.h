#pragma once

#include <array>
#include <string_view>

// The five measured quantities. Their names are also the suffixes of the
// per-quantity settings.
enum class Quantity { TEMP, RH, PRESS, SPEED, ORIENT };

constexpr std::array<Quantity, 5> kAllQuantities{Quantity::TEMP, Quantity::RH, Quantity::PRESS,
                                                 Quantity::SPEED, Quantity::ORIENT};

constexpr std::string_view quantityName(Quantity q) {
    switch (q) {
    case Quantity::TEMP:
        return "TEMP";
    case Quantity::RH:
        return "RH";
    case Quantity::PRESS:
        return "PRESS";
    case Quantity::SPEED:
        return "SPEED";
    case Quantity::ORIENT:
        return "ORIENT";
    }
    return {};
}

constexpr int quantityIndex(Quantity q) {
    return static_cast<int>(q);
}
