// An FFmpeg I/O context over the car's encrypted container: FFmpeg seeks and reads the MP4 inside
// as if it were the file, and only the pages it asks for are decrypted. No plain copy is made.

#include "ClipSource.h"
#include "ContainerReader.h"
#include "FileName.h"
#include "MediaError.h"
#include "VideoDecoderInternal.h"

#include <cstdio>
#include <memory>

namespace orvane::media {

namespace {

// The container's pages are 4 KiB: FFmpeg's reads cover sixteen of them.
constexpr int ioBufferBytes = 64 * 1024;

// The reader and the position FFmpeg has reached in the MP4.
struct DecryptingSource {
    std::unique_ptr<crypto::ContainerReader> reader;
    uint64_t position = 0;
};

int readPacket(void* opaque, uint8_t* into, int size) {
    auto* source = static_cast<DecryptingSource*>(opaque);
    const int64_t n = source->reader->readAt(source->position, into, size_t(size));
    if (n < 0)
        return AVERROR(int(-n));
    if (n == 0)
        return AVERROR_EOF;
    source->position += uint64_t(n);
    return int(n);
}

int64_t seekTo(void* opaque, int64_t offset, int whence) {
    auto* source = static_cast<DecryptingSource*>(opaque);
    const int64_t size = int64_t(source->reader->size());
    int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = int64_t(source->position) + offset;
        break;
    case SEEK_END:
        target = size + offset;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (target < 0)
        return AVERROR(EINVAL);
    source->position = uint64_t(target);
    return target;
}

} // namespace

namespace ff {

void releaseCustomInput(AVIOContext* io) {
    if (!io)
        return;
    delete static_cast<DecryptingSource*>(io->opaque);
    av_freep(&io->buffer);
    avio_context_free(&io);
}

} // namespace ff

ff::InputFormat openDecryptingInput(FileHandle file, const QString& path) {
    auto source = std::make_unique<DecryptingSource>();
    try {
        source->reader = std::make_unique<crypto::ContainerReader>(std::move(file), path);
    } catch (const crypto::ContainerError& e) {
        if (e.kind() == crypto::ContainerError::Kind::locked)
            throw EncryptedClipError();
        throw UnreadableMediaError("cannot open " + FileName::display(path).toStdString() + ": " +
                                       e.description().toStdString(),
                                   e.description());
    }
    auto* buffer = static_cast<uint8_t*>(av_malloc(ioBufferBytes));
    AVIOContext* io =
        buffer ? avio_alloc_context(buffer, ioBufferBytes, 0, source.get(), readPacket, nullptr, seekTo)
               : nullptr;
    if (!io) {
        av_free(buffer);
        throw MediaError("cannot open " + FileName::display(path).toStdString() + ": out of memory");
    }
    source.release(); // the I/O context owns it now
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) {
        ff::releaseCustomInput(io);
        throw MediaError("cannot open " + FileName::display(path).toStdString() + ": out of memory");
    }
    raw->pb = io;
    // On failure FFmpeg frees the format context but leaves our I/O context to us.
    if (const int opened = avformat_open_input(&raw, nullptr, nullptr, nullptr); opened < 0) {
        ff::releaseCustomInput(io);
        throw UnreadableMediaError("cannot open " + FileName::display(path).toStdString() + ": " +
                                       ffmpegErrorText(opened),
                                   readFailureText(opened));
    }
    return ff::InputFormat(raw);
}

} // namespace orvane::media
