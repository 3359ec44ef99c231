#pragma once

// The kind of a resize, as the window state was when it happened.
enum class ResizeKind { Restored, Maximized, Minimized };

struct ClientSize {
    int width = 0;
    int height = 0;

    friend bool operator==(const ClientSize&, const ClientSize&) = default;
};

// What the main window does after a resize or a move.
struct ResizeOutcome {
    bool storeWindowRect = false; // take the outer rectangle into the settings
    bool runLayout = false;       // arrange the status line and tiles again
};

// The main window's size bookkeeping: the kind and client size of the last
// resize (replayed when the set of visible tiles changes) and when the window
// rectangle that is saved at exit follows the window.
class WindowSizeTracker {
public:
    // The bookkeeping is kept even while initialising; nothing else happens
    // then. A minimised window has nothing to arrange: the layout is redone
    // from the next restored or maximised size. `windowIsNormal` is the
    // window's state now, which differs from `kind` when a resize is repeated
    // for a change of tiles: a minimised or maximised window's rectangle is
    // not the one to keep.
    ResizeOutcome onResize(ResizeKind kind, ClientSize size, bool initializing,
                           bool windowIsNormal = true);
    // The rectangle follows moves of a normal-state window only, so a maximised
    // window is saved with the rectangle it had before.
    static bool storesRectOnMove(bool initializing, bool maximizedOrMinimized) {
        return !initializing && !maximizedOrMinimized;
    }

    // The resize to repeat when the visible tiles change.
    ResizeKind replayKind() const {
        return maximized_ ? ResizeKind::Maximized : ResizeKind::Restored;
    }
    ClientSize replaySize() const {
        return maximized_ ? maximizedClientSize_ : restoredClientSize_;
    }

    bool maximized() const { return maximized_; }
    ClientSize restoredClientSize() const { return restoredClientSize_; }
    ClientSize maximizedClientSize() const { return maximizedClientSize_; }

private:
    bool maximized_ = false;
    ClientSize restoredClientSize_;
    ClientSize maximizedClientSize_;
};
