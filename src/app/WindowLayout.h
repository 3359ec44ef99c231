#pragma once

#include "protocol/ConnectionStatus.h"
#include "protocol/Quantity.h"
#include "settings/AppSettings.h"

#include <vector>

// A child rectangle in client coordinates. Width or height may come out
// negative for a client area smaller than the margins; it is passed on as is.
struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

// What the arrangement depends on: the link state and the sensor flags as the
// connection status last applied them.
struct LayoutInputs {
    bool linkUp = false;
    bool ch1Present = false;
    bool ch2Present = false;
    bool modelTq231 = false;
    bool modelTq232 = false;
    bool modelTq233 = false;

    // What the connection status last published.
    static LayoutInputs of(const ConnectionStatus& status) {
        return {status.linkUp(),     status.ch1Present(), status.ch2Present(),
                status.modelTq231(), status.modelTq232(), status.modelTq233()};
    }
};

struct TilePlacement {
    Quantity quantity = Quantity::TEMP;
    LayoutRect rect;

    friend bool operator==(const TilePlacement&, const TilePlacement&) = default;
};

// The outcome of one layout run: the status line's rectangle and the tiles to
// move, in the order they are moved. A tile that is not listed keeps its place
// (it is hidden in that arrangement).
struct WindowLayout {
    LayoutRect statusLine;
    std::vector<TilePlacement> tiles;
};

// The gap between the window edge, the status line and the tiles: the
// platform's dialog-frame width, kept within 2..20 pixels.
int layoutMargin(int dialogFrameWidth);

// Arranges the status line and the tiles in a client area of cx × cy pixels.
// Integer arithmetic throughout, divisions truncate toward zero.
WindowLayout computeWindowLayout(int cx, int cy, int margin, int statusLineHeight,
                                 const LayoutInputs& in);

// Where start-up puts the window: the stored outer rectangle, or the built-in
// one when the stored rectangle has no area or edges no screen has (a damaged
// settings file), since such a window could not be seen or grabbed.
WindowRect placementRect(const WindowRect& stored);
