#include "MediaProbe.h"

#include "ClipSource.h"
#include "FileName.h"
#include "MediaError.h"
#include "RegularFile.h"
#include "VideoDecoderInternal.h"

#include <QCoreApplication>
#include <QFile>

extern "C" {
#include <libavutil/display.h>
}

#include <algorithm>
#include <cmath>

namespace orvane::media {

namespace {

// Some containers (MPEG-4 Part 2 in MP4, AVI, MPEG-TS) leave the picture size or the length
// to what decoding the first frames tells; only then is that work done.
void completeStreamInfo(AVFormatContext* format) {
    const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const bool sizeMissing = video >= 0 && (format->streams[video]->codecpar->width <= 0 ||
                                            format->streams[video]->codecpar->height <= 0);
    const bool durationMissing = format->duration == AV_NOPTS_VALUE || format->duration <= 0;
    if (sizeMissing || durationMissing)
        avformat_find_stream_info(format, nullptr); // a failure leaves what the header said
}

ff::InputFormat openFile(const FileHandle& file, const QString& path) {
    const QByteArray name = FileName::encode(RegularFile::pathOf(file, path));
    AVFormatContext* raw = nullptr;
    if (const int opened = avformat_open_input(&raw, name.constData(), nullptr, nullptr); opened < 0)
        throw UnreadableMediaError("cannot open " + FileName::display(path).toStdString() + ": " +
                                       ffmpegErrorText(opened),
                                   readFailureText(opened));
    return ff::InputFormat(raw);
}

} // namespace

ff::InputFormat openInput(const QString& path) {
    ff::initialize();
    // Only a regular file is opened, and FFmpeg is handed that very file: a FIFO or device
    // named like a clip cannot block it, and no name is read as a protocol ("pipe:", "http:").
    QString problem;
    FileHandle file = RegularFile::openForReading(path, &problem);
    if (!file.isOpen())
        throw UnreadableMediaError("cannot open " + FileName::display(path).toStdString() + ": " +
                                       problem.toStdString(),
                                   QCoreApplication::translate("MediaProbe", "无法打开文件: ") + problem);
    // What FFmpeg cannot read is named by what it is, not by FFmpeg's guess at it.
    ff::InputFormat format;
    switch (ClipSource::inspectOpen(file.fd())) {
    case ClipKind::encrypted:
        throw EncryptedClipError();
    case ClipKind::stub:
        throw ClipStubError();
    case ClipKind::unlocked:
        format = openDecryptingInput(std::move(file), path);
        break;
    case ClipKind::mp4:
    case ClipKind::unknown:
        format = openFile(file, path);
        break;
    }
    completeStreamInfo(format.get());
    return format;
}

int displayRotation(const AVStream* stream) {
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t))
        return 0;
    const double counterClockwise = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (!std::isfinite(counterClockwise))
        return 0;
    // Snap to a quarter turn: cameras only ever record upright or turned by quarters.
    const long quarters = std::lround(-counterClockwise / 90.0);
    return int(((quarters % 4) + 4) % 4) * 90;
}

MediaInfo describe(AVFormatContext* format, int videoIndex) {
    MediaInfo info;
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        info.duration = double(format->duration) / AV_TIME_BASE;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            info.hasAudio = true;
    if (videoIndex < 0)
        return info;
    const AVStream* stream = format->streams[videoIndex];
    info.width = stream->codecpar->width;
    info.height = stream->codecpar->height;
    info.rotation = displayRotation(stream);
    AVRational rate = stream->avg_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        info.frameRate = av_q2d(rate);
    if (info.frameRate <= 0 && stream->r_frame_rate.num > 0 && stream->r_frame_rate.den > 0)
        info.frameDuration = 1.0 / av_q2d(stream->r_frame_rate);
    else
        info.frameDuration = info.frameRate > 0 ? 1.0 / info.frameRate : 1.0 / 30;
    if (stream->codecpar->bit_rate > 0) {
        info.bitRate = stream->codecpar->bit_rate;
    } else if (info.duration > 0 && format->pb) {
        const int64_t size = avio_size(format->pb);
        if (size > 0)
            info.bitRate = int64_t(double(size) * 8 / info.duration);
    }
    return info;
}

bool endsEarly(double expectedEnd, double actualEnd, double frameDuration) {
    // Less than this (or two frames, if more) is the ordinary rounding of the last frame.
    constexpr double minimumShortfall = 0.1;
    return std::isfinite(expectedEnd) &&
           expectedEnd - actualEnd > std::max(2 * frameDuration, minimumShortfall);
}

namespace MediaProbe {

MediaInfo probe(const QString& path) {
    ff::InputFormat format = openInput(path);
    const int videoIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    MediaInfo info = describe(format.get(), videoIndex);
    if (!(info.duration > 0) || !std::isfinite(info.duration))
        throw MediaError("no duration: " + FileName::display(path).toStdString());
    return info;
}

std::optional<double> duration(const QString& path) {
    try {
        return probe(path).duration;
    } catch (const MediaError&) {
        return std::nullopt;
    }
}

std::vector<double> frameTimes(const QString& path) {
    ff::InputFormat format = openInput(path);
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0)
        return {};
    AVStream* stream = format->streams[index];
    // The index holds decoding times: they are display times only without reordered frames.
    if (stream->codecpar->video_delay > 0)
        return {};
    const int count = avformat_index_get_entries_count(stream);
    std::vector<int64_t> stamps;
    stamps.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        if (const AVIndexEntry* entry = avformat_index_get_entry(stream, i))
            stamps.push_back(entry->timestamp);
    std::sort(stamps.begin(), stamps.end());
    std::vector<double> times;
    times.reserve(stamps.size());
    for (int64_t ts : stamps)
        times.push_back(double(ts - stamps.front()) * av_q2d(stream->time_base));
    return times;
}

} // namespace MediaProbe
} // namespace orvane::media
