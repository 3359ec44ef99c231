#pragma once

#include "protocol/Reading.h"

#include <array>
#include <string>
#include <vector>

// What the tiles add to their reading in their tool tips and for screen
// readers: the derived values, one line each ("Punkt rosy: 9.2 °C"), UTF-8.
// The temperature tile gets the dew point and the wind chill, the wind speed
// tile the Beaufort number; a value whose inputs are unknown is left out.
using TileDetails = std::array<std::vector<std::string>, 5>; // by quantityIndex

TileDetails tileDetails(const Reading& reading);
