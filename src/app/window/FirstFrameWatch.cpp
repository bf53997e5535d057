#include "FirstFrameWatch.h"

#include <utility>

namespace orvane {

void FirstFrameWatch::setWindow(QQuickWindow* window) {
    if (window == window_)
        return;
    QObject::disconnect(frames_);
    window_ = window;
    emit windowChanged();
    // The render thread reports frames. Connected here, not in QML, so that after the first one
    // the render thread wakes nothing of ours on every frame.
    if (window && !shown_)
        frames_ = connect(window, &QQuickWindow::frameSwapped, this, &FirstFrameWatch::markShown,
                          Qt::QueuedConnection);
}

void FirstFrameWatch::markShown() {
    QObject::disconnect(frames_);
    if (std::exchange(shown_, true))
        return; // frames queued before the disconnection
    emit shownChanged();
}

} // namespace orvane
