#pragma once

#include "FramePattern.h"
#include "Mp4Muxer.h"
#include "SampleClips.h"
#include "TestSupport.h"
#include "VideoEncoder.h"

#include <QImage>
#include <QString>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace orvane::test {

// A clip whose first frame carries the timestamp `firstFrame` / fps (pattern numbers start there).
inline QString writeOffsetClip(const QString& path, int firstFrame, int frames, int fps = 36) {
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

// The frame index drawn into a picture (any size, upright), if readable.
inline std::optional<int> patternFrame(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    auto pattern =
        sample::FramePattern::read(gray.constBits(), int(gray.bytesPerLine()), gray.width(), gray.height());
    return pattern ? std::optional(pattern->frameIndex) : std::nullopt;
}

// Clips written once per suite: a 2-second 320 × 240 front clip of 72 frames, key frames at 0 and 1 s.
class SharedClipTest : public ::testing::Test {
protected:
    static constexpr double fps = 36;
    static constexpr int lastFrame = 71;
    static void SetUpTestSuite() {
        folder.emplace();
        clip = writeClip({.path = *folder / "clip.mp4", .width = 320, .height = 240, .seconds = 2});
    }
    static void TearDownTestSuite() { folder.reset(); }
    static inline std::optional<TempFolder> folder;
    static inline QString clip;
};

} // namespace orvane::test
