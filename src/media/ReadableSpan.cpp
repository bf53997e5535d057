#include "ReadableSpan.h"

#include "FileName.h"
#include "MediaProbe.h"
#include "RegularFile.h"
#include "VideoDecoderInternal.h"

#include <QCoreApplication>

namespace orvane::media {

bool ReadableSpan::cutShort() const {
    return endsEarly(indexedLength, readableLength, frameDuration);
}

ReadableSpan readableSpan(const QString& path) {
    QString problem;
    if (!RegularFile::openForReading(path, &problem).isOpen())
        throw ReadRefusedError("cannot open " + FileName::display(path).toStdString() + ": " +
                                   problem.toStdString(),
                               QCoreApplication::translate("MediaProbe", "无法打开文件: ") + problem);
    const ff::InputFormat format = openInput(path);
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    AVStream* stream = index >= 0 ? format->streams[index] : nullptr;
    const int count = stream ? avformat_index_get_entries_count(stream) : 0;
    if (count <= 0)
        throw UnreadableMediaError("no pictures: " + FileName::display(path).toStdString(),
                                   QCoreApplication::translate("VideoDecoder", "文件中没有可播放的画面"));
    const double tick = av_q2d(stream->time_base);
    const int64_t fileBytes = format->pb ? avio_size(format->pb) : -1;
    const AVIndexEntry* first = avformat_index_get_entry(stream, 0);
    const AVIndexEntry* last = avformat_index_get_entry(stream, count - 1);
    ReadableSpan span;
    span.frameDuration = describe(format.get(), index).frameDuration;
    span.indexedLength = double(last->timestamp - first->timestamp) * tick + span.frameDuration;
    span.readableLength = span.indexedLength;
    // The pictures are stored in order: the first one past the end of the file ends what can be read.
    for (int i = 0; fileBytes >= 0 && i < count; ++i)
        if (const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
            entry && entry->pos + entry->size > fileBytes) {
            span.readableLength = double(entry->timestamp - first->timestamp) * tick;
            break;
        }
    return span;
}

} // namespace orvane::media
