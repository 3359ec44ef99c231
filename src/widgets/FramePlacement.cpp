#include "widgets/FramePlacement.h"

#include <QTimer>
#include <QWidget>

void FramePlacement::place(const QRect& outer) {
    outer_ = outer;
    // The size is the inner size until the window manager has framed the
    // window (see fit).
    window_.move(outer.topLeft());
    window_.resize(outer.size());
    fitted_ = false;
    if (window_.isVisible()) {
        shownClock_.start();
        fit();
    }
}

void FramePlacement::shown() {
    if (!fitted_) {
        // The frame is known once the window manager has framed the window,
        // which it may report a little after the first show.
        shownClock_.start();
        QTimer::singleShot(0, &window_, [this] { fit(); });
    }
}

void FramePlacement::moved() {
    if (!fitted_ && shownClock_.isValid() && shownClock_.elapsed() < kFrameFitWindowMs) {
        fit();
    }
}

void FramePlacement::fit() {
    if (fitted_ || window_.isMaximized() || window_.isMinimized()) {
        return;
    }
    const QRect frame = window_.frameGeometry();
    const int extraW = frame.width() - window_.width();
    const int extraH = frame.height() - window_.height();
    if (extraW <= 0 && extraH <= 0) {
        return; // no frame (yet)
    }
    fitted_ = true;
    // The stored rectangle is the outer one: take the frame off the size.
    window_.resize(outer_.width() - extraW, outer_.height() - extraH);
    window_.move(outer_.topLeft());
}
