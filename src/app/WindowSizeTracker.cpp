#include "app/WindowSizeTracker.h"

ResizeOutcome WindowSizeTracker::onResize(ResizeKind kind, ClientSize size, bool initializing,
                                          bool windowIsNormal) {
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
    return {kind == ResizeKind::Restored && windowIsNormal, kind != ResizeKind::Minimized};
}
