#pragma once

#include <QString>
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

// A file that cannot be read as video, or whose reading failed part-way; reason() says why in
// the user's words.
class UnreadableMediaError : public MediaError {
public:
    UnreadableMediaError(const std::string& what, QString reason)
        : MediaError(what), reason_(std::move(reason)) {}
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

// Writing an output failed (a full disk, a file-size limit); what() is the system's text.
class OutputWriteError : public MediaError {
public:
    using MediaError::MediaError;
};

// FFmpeg's description of an error code (av_strerror).
std::string ffmpegErrorText(int code);

// The errno behind an FFmpeg error code that reports a refused system call (EIO from a drive
// pulled out, EFBIG past a file-size limit); 0 for codes about the data itself (damaged, cut
// short, the end).
int systemErrorOf(int code);

// Why reading stopped, in the user's words: the system's text for a refused read, otherwise
// the data is incomplete or damaged.
QString readFailureText(int code);

// Throws MediaError("<what>: <FFmpeg text>") when code is negative; returns code otherwise.
int checkFfmpeg(int code, const std::string& what);

} // namespace orvane::media
