#pragma once

#include "display/Colour.h"
#include "display/LogFont.h"

// A tile's colours and value font: what the settings store keeps per quantity.
struct TileStyle {
    Colour background = 0xFFE4CA;
    Colour text = 0x804000;
    LogFont font;

    friend bool operator==(const TileStyle&, const TileStyle&) = default;
};
