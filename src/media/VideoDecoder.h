#pragma once

#include "MediaProbe.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace orvane::media {

struct VideoDecoderOptions {
    int threadCount = 1;         // decoder threads; 0 lets FFmpeg choose
    bool skipLoopFilter = false; // faster, slightly blockier pictures (fast-forward)
    // A VA-API device to decode on (pictures still arrive in memory); software when empty or
    // when the device or the stream does not allow it.
    QByteArray hardwareDevice;
};

// Demuxes and decodes the first video stream of a file, frame by frame in presentation order.
//
// Times are seconds from the stream's first frame, so time 0 is always the first picture even
// when the file's timestamps (or its edit list) start elsewhere. Seeking positions the decoder
// on one frame, which becomes the current frame; next() then continues from there.
// Damaged input (corrupt packets, a truncated tail) ends the stream early rather than failing;
// a picture patched up by the decoder is marked (frameConcealed).
// Not thread-safe: one thread uses one decoder.
class VideoDecoder {
public:
    // Opens the file without decoding anything; throws MediaError when it does not open or
    // holds no decodable video stream.
    explicit VideoDecoder(const QString& path, const VideoDecoderOptions& options = {});
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    const MediaInfo& info() const;

    // Decodes the next frame; false at the end of the stream (the current frame is kept).
    bool next();
    // Makes the frame before the current one current, by the file's own timestamps; false at
    // the first frame (which stays) or when nothing can be decoded.
    bool previous();

    // Makes the current frame the one whose display interval contains `time` (the first frame
    // for earlier times, the last for later ones). False only when no frame can be decoded.
    bool seekExact(double time);

    // Makes the current frame one that lies within [time − before, time + after], preferring a
    // key frame in that window (no decoding beyond it); falls back to the exact frame.
    bool seekTolerant(double time, double toleranceBefore, double toleranceAfter);

    // The time of the first key frame the file's index lists at or after `time`; none past
    // the last one (or without an index).
    std::optional<double> keyFrameAtOrAfter(double time) const;

    // Makes the current frame the first key frame the file's index lists at or after `time`,
    // decoding nothing else. False when there is none (the last key frame is behind `time`).
    bool seekNextKeyFrame(double time);

    // Decoding runs on a VA-API device.
    bool usesHardware() const;
    bool hasFrame() const;
    // The FFmpeg code of a refused read (the drive went away) that ended the stream early; 0
    // when it ended at the end of its data, however short or damaged that was.
    int readError() const;
    // Data of the current frame, or of one it is built on, was lost or damaged: parts of the
    // picture are the decoder's guesses and may show an earlier moment.
    bool frameConcealed() const;
    double frameTime() const; // presentation time of the current frame
    bool isKeyFrame() const;
    int frameWidth() const;
    int frameHeight() const;

    // The current frame as an RGB32 picture, scaled to fit `maxSize` (aspect kept; an empty
    // size keeps the frame's size) and, when asked, turned upright by the stream's rotation.
    // A null image when there is no current frame.
    QImage toImage(QSize maxSize = {}, bool applyRotation = true) const;

private:
    friend struct VideoDecoderAccess;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvane::media
