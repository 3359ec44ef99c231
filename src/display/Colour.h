#pragma once

#include <cstdint>

// A colour as the settings and the tiles keep it: 0x00BBGGRR, red in the low
// byte.
using Colour = std::uint32_t;

constexpr Colour makeColour(int red, int green, int blue) {
    return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int colourRed(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int colourGreen(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int colourBlue(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
