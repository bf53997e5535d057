#include "MediaTestClips.h"

#include "FramePattern.h"
#include "Mp4Muxer.h"
#include "VideoEncoder.h"

namespace orvane::test {

QString writeOffsetClip(const QString& path, int firstFrame, int frames, int fps) {
    media::VideoEncoderSettings settings;
    settings.width = 64;
    settings.height = 48;
    settings.framesPerSecond = fps;
    settings.keyFrameInterval = fps;
    settings.bitRate = 500'000;
    media::VideoEncoder encoder(settings);
    media::Mp4Muxer muxer(path.toStdString(), encoder);
    std::vector<media::EncodedPacket> packets;
    for (int i = firstFrame; i < firstFrame + frames; ++i) {
        media::YuvImage image(settings.width, settings.height);
        std::fill(image.y.begin(), image.y.end(), uint8_t(128));
        std::fill(image.u.begin(), image.u.end(), uint8_t(128));
        std::fill(image.v.begin(), image.v.end(), uint8_t(128));
        sample::FramePattern{i, 0}.draw(image.y.data(), image.width, image.width, image.height);
        encoder.encode(image, i, packets);
    }
    encoder.flush(packets);
    for (const auto& packet : packets)
        muxer.write(packet);
    muxer.finish();
    return path;
}

std::optional<int> patternFrame(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    auto pattern =
        sample::FramePattern::read(gray.constBits(), int(gray.bytesPerLine()), gray.width(), gray.height());
    if (!pattern)
        return std::nullopt;
    return pattern->frameIndex;
}

} // namespace orvane::test
