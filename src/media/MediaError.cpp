#include "MediaError.h"

#include "FfmpegHandles.h"

#include <QCoreApplication>
#include <mutex>

namespace orvane::media {

std::string ffmpegErrorText(int code) {
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buffer, sizeof buffer);
    return buffer;
}

int systemErrorOf(int code) {
    // AVERROR(e) is -e; FFmpeg's own codes are four-character tags, far below any errno.
    constexpr int largestErrno = 4095;
    return code < 0 && code >= -largestErrno ? -code : 0;
}

QString readFailureText(int code) {
    if (const int error = systemErrorOf(code))
        return QCoreApplication::translate("MediaError", "读取文件出错: ") + qt_error_string(error);
    return QCoreApplication::translate("MediaError", "文件不完整或已损坏");
}

int checkFfmpeg(int code, const std::string& what) {
    if (code < 0)
        throw MediaError(what + ": " + ffmpegErrorText(code));
    return code;
}

namespace ff {

void initialize() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

Frame makeFrame() {
    Frame f(av_frame_alloc());
    if (!f)
        throw MediaError("av_frame_alloc: out of memory");
    return f;
}

Packet makePacket() {
    Packet p(av_packet_alloc());
    if (!p)
        throw MediaError("av_packet_alloc: out of memory");
    return p;
}

} // namespace ff
} // namespace orvane::media
