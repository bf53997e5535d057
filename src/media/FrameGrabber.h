#pragma once

#include "MediaProbe.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

namespace orvane::media {

class VideoDecoder;

struct FrameRequest {
    double time = 0;            // seconds from the first frame
    double toleranceBefore = 0; // 0 and 0: the frame whose display interval contains `time`
    double toleranceAfter = 0;
    QSize maxSize; // fit inside, aspect kept, never enlarged; empty: natural size
    bool applyPreferredTransform = true;
};

struct GrabbedFrame {
    QImage image;
    double actualTime = 0; // presentation time of the decoded frame
    // Data of this frame, or of one it is built on, was lost or damaged: parts of the picture
    // are the decoder's guesses, and may show an earlier moment.
    bool concealed = false;
};

// Still pictures out of one video file, for thumbnails and frame captures.
class FrameGrabber {
public:
    // Throws MediaError when the file does not open or has no video.
    explicit FrameGrabber(const QString& path);
    ~FrameGrabber();
    FrameGrabber(const FrameGrabber&) = delete;
    FrameGrabber& operator=(const FrameGrabber&) = delete;

    const MediaInfo& info() const;
    // Throws MediaError when no frame can be decoded.
    GrabbedFrame grab(const FrameRequest& request);

    static GrabbedFrame grab(const QString& path, const FrameRequest& request);

private:
    std::unique_ptr<VideoDecoder> decoder_;
    QString path_;
};

} // namespace orvane::media
