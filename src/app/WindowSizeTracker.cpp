#include "app/WindowSizeTracker.h"

ResizeOutcome WindowSizeTracker::onResize(ResizeKind kind, ClientSize size, bool initializing) {
    switch (kind) {
    case ResizeKind::Restored:
        restoredClientSize_ = size;
        maximized_ = false;
        break;
    case ResizeKind::Maximized:
        maximized_ = true;
        maximizedClientSize_ = size;
        break;
    case ResizeKind::Minimized:
        maximized_ = false;
        break;
    }
    if (initializing) {
        return {};
    }
    return {kind == ResizeKind::Restored, kind != ResizeKind::Minimized};
}
