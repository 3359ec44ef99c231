#include "app/WindowLayout.h"

#include <algorithm>
#include <initializer_list>

namespace {

struct Column {
    int x;
    int width;
};

// Stacks the tiles one below the other between top and bottom; each starts
// `margin` pixels below the previous boundary, the last ends at bottom.
void stack(WindowLayout& layout, Column column, int top, int bottom, int margin,
           std::initializer_list<Quantity> quantities) {
    const int n = static_cast<int>(quantities.size());
    if (n == 0) {
        return;
    }
    const int h = bottom - top;
    int k = 0;
    int previous = top;
    for (Quantity q : quantities) {
        ++k;
        // The product is formed before dividing so that rounding does not add up.
        const int boundary = k == n ? bottom : top + (k * h) / n;
        const int y = previous + margin;
        layout.tiles.push_back({q, {column.x, y, column.width, boundary - y}});
        previous = boundary;
    }
}

} // namespace

int layoutMargin(int dialogFrameWidth) {
    return std::clamp(dialogFrameWidth, 2, 20);
}

WindowLayout computeWindowLayout(int cx, int cy, int margin, int statusLineHeight,
                                 const LayoutInputs& in) {
    const int m = margin;
    WindowLayout layout;
    layout.statusLine = {m, m, cx - 2 * m, statusLineHeight};

    const int top = statusLineHeight + m + 2;
    const int bottom = cy - m;

    const Column full{m, cx - 2 * m};
    const Column left{m, cx / 2 - m};
    const Column right{cx / 2 + m, cx - m - (cx / 2 + m)};

    const bool a = in.ch1Present;
    const bool b = in.ch2Present;
    const bool l = in.linkUp;

    if (a && !b && l) {
        if (in.modelTq232) {
            stack(layout, full, top, bottom, m, {Quantity::TEMP, Quantity::RH, Quantity::PRESS});
        } else if (in.modelTq231) {
            stack(layout, full, top, bottom, m, {Quantity::TEMP, Quantity::RH});
        } else if (in.modelTq233) {
            stack(layout, full, top, bottom, m, {Quantity::PRESS});
        }
        return layout;
    }
    if (!a && b && l) {
        stack(layout, full, top, bottom, m, {Quantity::SPEED, Quantity::ORIENT});
        return layout;
    }

    // Both channels, link down or no sensor at all: two columns.
    if (in.modelTq232 || !l || (!a && !b)) {
        stack(layout, left, top, bottom, m, {Quantity::TEMP, Quantity::RH, Quantity::PRESS});
    } else if (in.modelTq231) {
        stack(layout, left, top, bottom, m, {Quantity::TEMP, Quantity::RH});
    } else if (in.modelTq233) {
        stack(layout, left, top, bottom, m, {Quantity::PRESS});
    }
    stack(layout, right, top, bottom, m, {Quantity::SPEED, Quantity::ORIENT});
    return layout;
}

WindowRect placementRect(const WindowRect& stored) {
    if (!stored.isSane()) {
        return WindowRect{};
    }
    return stored;
}
