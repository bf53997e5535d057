#pragma once

#include "HardwareEncoding.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "OverlayBlender.h"
#include "VideoEncoder.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvane::media {

// The source has no video stream to export.
class NoVideoStreamError : public MediaError {
public:
    using MediaError::MediaError;
};

// The caller asked the transcode to stop.
class TranscodeCancelled : public MediaError {
public:
    TranscodeCancelled() : MediaError("cancelled") {}
};

struct TranscodeSource {
    double duration = 0;      // container duration in seconds
    double videoDuration = 0; // the video stream's own length by its index, else the container's
    int width = 0;            // upright picture size (rotation applied)
    int height = 0;
    int rotation = 0;         // clockwise degrees that make the coded picture upright
    double frameRate = 0;     // nominal; 0 when unknown
    int framesTakenEvery = 1; // a timelapse's frames already: frameRate is the footage's / this
    int64_t bitRate = 0;      // video stream bits per second; 0 when unknown
    bool hasAudio = false;
    YuvMatrix matrix = YuvMatrix::bt601;
    bool fullRange = false;
};

// Uncompressed 4:2:0 pictures read from a pipe another process fills (no container, so the
// size, rate and expected length come from the caller). The descriptor stays the caller's.
struct RawVideoStream {
    int fd = -1;
    int width = 0;
    int height = 0;
    int frameRate = cameraFrameRate;
    // A timelapse composed by the writer holds one frame in this many: its frames are this much
    // further apart in the footage's time.
    int framesTakenEvery = 1;
    double duration = 0; // seconds the writer promises; fewer means the source ended early
};

struct TranscodeSettings {
    VideoCodec codec = VideoCodec::H264;
    int width = 0; // output size (even)
    int height = 0;
    int64_t bitRate = 0;                // average bits per second
    double frameRate = cameraFrameRate; // expected frame rate
    int keyFrameInterval = cameraFrameRate;
    std::string preset; // empty: the codec's default for speed
    double start = 0;   // seconds from the first frame
    double length = 0;  // seconds; 0 to the end
    // A timelapse above 1: output frame k is the source frame shown at start + k × speed frame
    // intervals (each taken once), played at the frame rate; no sound.
    int speed = 1;
    // The source is a timelapse already (one frame in this many taken): every frame is written,
    // each at the next output frame.
    int framesTakenEvery = 1;
};

struct TranscodeHooks {
    // Overlays for the frame shown at `time` (seconds from the source's first frame), laid over
    // after scaling, in order. The pointers must stay valid until the next call.
    std::function<void(double time, std::vector<const YuvOverlay*>& overlays)> overlays;
    // Output position / export length; capped below 1 by the caller.
    std::function<void(double outputTime)> progress;
    std::function<bool()> cancelled;
    // Each written frame: its output index and its source time (for checks).
    std::function<void(int64_t index, double time)> frameWritten;
};

// What a finished transcode wrote.
struct TranscodeOutcome {
    int64_t framesWritten = 0;
    double exportedLength = 0; // seconds of video written
    // The source ended before its index said, or parts of it could not be read or decoded.
    bool incomplete = false;
    std::string encoder; // FFmpeg's name of the encoder that wrote it ("libx264", "hevc_vaapi")
};

// Decodes the first video stream of a file, turns it upright, scales it, lays overlays over it
// and encodes it into a new MP4; the first audio stream is copied packet by packet.
class Transcoder {
public:
    // Opens and probes the source. Throws MediaError, NoVideoStreamError.
    explicit Transcoder(const QString& input);
    // Opens a stream of raw pictures; reading blocks until the writer sends them. Throws MediaError.
    explicit Transcoder(const RawVideoStream& stream);
    ~Transcoder();
    Transcoder(const Transcoder&) = delete;
    Transcoder& operator=(const Transcoder&) = delete;

    const TranscodeSource& source() const;

    // Writes `output` (the MP4 format whatever the name) with the encoder HardwareEncoding
    // chooses. Throws MediaError (the file is then incomplete: the caller deletes it):
    // UnreadableMediaError when reading the source was refused part-way, OutputWriteError when
    // writing was, HardwareEncoderFailed when a hardware encoder failed part-way (encode again);
    // or TranscodeCancelled. Call once.
    TranscodeOutcome run(const QString& output, const TranscodeSettings& settings,
                         const TranscodeHooks& hooks);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvane::media
