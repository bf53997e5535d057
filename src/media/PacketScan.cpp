#include "PacketScan.h"

#include "FfmpegHandles.h"
#include "FileName.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "VideoDecoderInternal.h"

#include <algorithm>

namespace orvane::media {

namespace {

uint64_t fnv1a(const uint8_t* data, int size) {
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

bool VideoPacketList::endsEarly() const {
    if (packets.empty())
        return videoDuration > 0;
    const size_t n = packets.size();
    const double frame = n > 1 ? (packets.back().time - firstTime) / double(n - 1) : 1.0 / cameraFrameRate;
    return media::endsEarly(videoDuration, packets.back().time - firstTime + frame, frame);
}

VideoPacketList scanVideoPackets(const std::string& path) {
    ff::InputFormat input = openInput(FileName::decode(QByteArray::fromStdString(path)));
    AVFormatContext* raw = input.get();
    const int stream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0)
        throw MediaError("no video stream: " + path);
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        if (int(i) != stream)
            raw->streams[i]->discard = AVDISCARD_ALL;
    const AVRational tb = raw->streams[stream]->time_base;
    VideoPacketList list;
    if (raw->duration > 0)
        list.duration = double(raw->duration) / AV_TIME_BASE;
    const AVStream* video = raw->streams[stream];
    list.videoDuration =
        video->duration > 0 ? double(video->duration) * av_q2d(video->time_base) : list.duration;
    ff::Packet packet = ff::makePacket();
    for (;;) {
        const int rc = av_read_frame(raw, packet.get());
        if (rc == AVERROR_EOF)
            break;
        if (rc < 0)
            break; // a damaged tail: keep what was read
        if (packet->stream_index == stream) {
            const int64_t ts = packetTimestamp(*packet);
            if (ts != AV_NOPTS_VALUE)
                list.packets.push_back({double(ts) * av_q2d(tb), bool(packet->flags & AV_PKT_FLAG_KEY),
                                        fnv1a(packet->data, packet->size), packet->size});
        }
        av_packet_unref(packet.get());
    }
    std::stable_sort(list.packets.begin(), list.packets.end(),
                     [](const VideoPacketSummary& a, const VideoPacketSummary& b) { return a.time < b.time; });
    if (!list.packets.empty())
        list.firstTime = list.packets.front().time;
    return list;
}

} // namespace orvane::media
