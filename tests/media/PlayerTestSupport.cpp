#include "PlayerTestSupport.h"

#include "FramePattern.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace orvane::test {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

std::optional<int> patternFrame(QVideoFrame frame) {
    if (!frame.isValid() || !frame.map(QVideoFrame::ReadOnly))
        return std::nullopt;
    auto pattern = sample::FramePattern::read(frame.bits(0), frame.bytesPerLine(0), frame.width(), frame.height());
    frame.unmap();
    if (!pattern)
        return std::nullopt;
    return pattern->frameIndex;
}

} // namespace orvane::test
