#pragma once

#include <QElapsedTimer>
#include <QRect>

class QWidget;

// Puts a top-level window at a stored outer rectangle, frame included. Qt
// places a window by its frame but sizes it by its inside, and the window
// manager reports the frame only a little after the first show, so the size
// is corrected once the frame is known. The window calls shown() and moved()
// from its show and move events.
class FramePlacement {
public:
    // A frame reported later than this after the first show no longer moves
    // the window back to its place.
    static constexpr int kFrameFitWindowMs = 2000;

    explicit FramePlacement(QWidget& window) : window_(window) {}

    void place(const QRect& outer);
    void shown();
    void moved();

private:
    void fit();

    QWidget& window_;
    QRect outer_;
    bool fitted_ = false;
    QElapsedTimer shownClock_;
};
