#pragma once

#include "protocol/Quantity.h"

// The columns a recording line holds. The file always lists them in the order
// temperature, pressure, humidity, speed, direction, whatever order the
// dialog shows them in.
struct RecordColumns {
    bool temperature = true;
    bool pressure = true;
    bool humidity = true;
    bool speed = true;
    bool direction = true;

    bool any() const { return temperature || pressure || humidity || speed || direction; }

    friend bool operator==(const RecordColumns&, const RecordColumns&) = default;
};
