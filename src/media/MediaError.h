#pragma once

#include <stdexcept>
#include <string>

namespace orvane::media {

// A failure of the media layer; the message carries FFmpeg's own text where there is one.
class MediaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A frame was asked for at a time outside the video (exact requests only).
class TimeOutsideVideoError : public MediaError {
public:
    using MediaError::MediaError;
};

// FFmpeg's description of an error code (av_strerror).
std::string ffmpegErrorText(int code);

// Throws MediaError("<what>: <FFmpeg text>") when code is negative; returns code otherwise.
int checkFfmpeg(int code, const std::string& what);

} // namespace orvane::media
