#pragma once

#include "display/Colour.h"
#include "display/LogFont.h"
#include "protocol/Quantity.h"

// A tile's colours and value font: what the settings store keeps per quantity.
struct TileStyle {
    Colour background = 0xFFE4CA;
    Colour text = 0x804000;
    LogFont font;

    friend bool operator==(const TileStyle&, const TileStyle&) = default;
};

// The built-in style of a quantity's tile, used when nothing is stored.
inline TileStyle defaultTileStyle(Quantity q) {
    TileStyle style;
    switch (q) {
    case Quantity::TEMP:
        style.background = 0xFFE4CA;
        style.text = 0x804000;
        break;
    case Quantity::RH:
        style.background = 0xFFDAB8;
        style.text = 0x643200;
        break;
    case Quantity::PRESS:
        style.background = 0xFFD0A4;
        style.text = 0x482400;
        break;
    case Quantity::SPEED:
        style.background = 0xE4E4C8;
        style.text = 0x3C3C1E;
        break;
    case Quantity::ORIENT:
        style.background = 0xD0D0A4;
        style.text = 0x303018;
        break;
    }
    return style;
}
