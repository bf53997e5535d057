#include "PlayerTestSupport.h"

#include "FramePattern.h"

namespace orvane::test {

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
