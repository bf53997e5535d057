#include "TimelapsePackets.h"

#include "FfmpegHandles.h"
#include "FileName.h"
#include "MediaError.h"
#include "VideoDecoderInternal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane::media {

TimelapsePackets::TimelapsePackets(std::vector<double> keyFrames, double step, double margin, double keyLead)
    : keyFrames_(std::move(keyFrames)), step_(step), margin_(margin), keyLead_(keyLead) {}

void TimelapsePackets::start(double origin) {
    started_ = !keyFrames_.empty() && step_ > 0;
    origin_ = origin;
    stretchNeeded_ = true;
    pastLastMoment_ = false;
    lastMoment_ = std::numeric_limits<double>::infinity(); // until the next key frame says
}

bool TimelapsePackets::lastMomentIn(double from, double to, double* moment) const {
    // Moments are origin + n·step for n ≥ 1 (n = 0 is the first frame, already written).
    const double n = std::ceil((to - origin_) / step_) - 1; // the last one before `to`
    if (n < 1 || origin_ + n * step_ < from)
        return false;
    *moment = origin_ + n * step_;
    return true;
}

bool TimelapsePackets::needed(double time, bool key) {
    if (!started_)
        return true;
    const double edge = margin_;
    if (key) {
        pastLastMoment_ = false;
        const auto next = std::upper_bound(keyFrames_.begin(), keyFrames_.end(), time + edge);
        if (next == keyFrames_.end()) { // the last stretch: its moments run to the file's end
            stretchNeeded_ = true;
            lastMoment_ = std::numeric_limits<double>::infinity();
            return true;
        }
        // Its moments run from a margin before it (rounding may show it for them) to the next key
        // frame's lead before that one.
        stretchNeeded_ = lastMomentIn(time - edge, *next - keyLead_, &lastMoment_);
        return stretchNeeded_;
    }
    if (!stretchNeeded_ || pastLastMoment_)
        return false;
    // The frame before this one is shown at the stretch's last moment: the rest is not needed.
    if (time > lastMoment_ + edge) {
        pastLastMoment_ = true;
        return false;
    }
    return true;
}

std::vector<double> keyFrameTimes(AVFormatContext* input, int stream, int64_t firstPts) {
    AVStream* video = input->streams[stream];
    std::vector<double> keys;
    const int entries = avformat_index_get_entries_count(video);
    for (int i = 0; i < entries; ++i)
        if (const AVIndexEntry* e = avformat_index_get_entry(video, i); e && (e->flags & AVINDEX_KEYFRAME))
            keys.push_back(double(e->timestamp - firstPts) * av_q2d(video->time_base));
    std::sort(keys.begin(), keys.end());
    return keys;
}

namespace {

// Key frames' presentation times (seconds from `first`) as the packets give them, which is how
// the copy's reader rounds frames to moments; an index may hold decoding times. Reads the whole
// stream without decoding, then returns to its start.
std::vector<double> keyPacketTimes(AVFormatContext* input, int stream, int64_t first) {
    const AVRational timeBase = input->streams[stream]->time_base;
    std::vector<double> keys;
    ff::Packet packet = ff::makePacket();
    while (av_read_frame(input, packet.get()) >= 0) {
        const int64_t ts = packetTimestamp(*packet);
        if (packet->stream_index == stream && (packet->flags & AV_PKT_FLAG_KEY) && ts != AV_NOPTS_VALUE)
            keys.push_back(double(ts - first) * av_q2d(timeBase));
        av_packet_unref(packet.get());
    }
    checkFfmpeg(av_seek_frame(input, stream, first, AVSEEK_FLAG_BACKWARD), "seek to the start");
    std::sort(keys.begin(), keys.end());
    return keys;
}

} // namespace

void copyTimelapsePackets(const std::string& input, const std::string& output, double origin, double step,
                          double margin, double keyLead) {
    ff::InputFormat in = openInput(FileName::decode(QByteArray::fromStdString(input)));
    const int stream = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0)
        throw MediaError("no video stream: " + input);
    AVStream* video = in->streams[stream];
    for (unsigned i = 0; i < in->nb_streams; ++i)
        if (int(i) != stream)
            in->streams[i]->discard = AVDISCARD_ALL;
    const int64_t first = video->start_time != AV_NOPTS_VALUE ? video->start_time : 0;
    // Frames out of order would be passed over by times they are not decoded in: without key
    // frames known, every packet is kept.
    const bool inOrder = video->codecpar->video_delay == 0;
    TimelapsePackets packets(inOrder ? keyPacketTimes(in.get(), stream, first) : std::vector<double>{}, step,
                             margin, keyLead);
    packets.start(origin - step); // the first moment is the origin itself

    AVFormatContext* raw = nullptr;
    checkFfmpeg(avformat_alloc_output_context2(&raw, nullptr, "mp4", output.c_str()), "create " + output);
    ff::OutputFormat out(raw);
    AVStream* copy = avformat_new_stream(raw, nullptr);
    if (!copy)
        throw MediaError("avformat_new_stream: out of memory");
    checkFfmpeg(avcodec_parameters_copy(copy->codecpar, video->codecpar), "stream parameters");
    copy->codecpar->codec_tag = 0;
    copy->time_base = video->time_base;
    checkFfmpeg(avio_open(&raw->pb, output.c_str(), AVIO_FLAG_WRITE), "open " + output);
    checkFfmpeg(avformat_write_header(raw, nullptr), "write header");
    ff::Packet packet = ff::makePacket();
    bool firstPacket = true;
    while (av_read_frame(in.get(), packet.get()) >= 0) { // a damaged tail ends the copy as it ends reading
        const int64_t ts = packetTimestamp(*packet);
        const double t = ts == AV_NOPTS_VALUE ? 0 : double(ts - first) * av_q2d(video->time_base);
        // A copy starting at a later key frame would start later: seeks into it would land late.
        // Whatever seeks past the first packet never decodes it.
        if (packet->stream_index == stream &&
            (packets.needed(t, packet->flags & AV_PKT_FLAG_KEY) || firstPacket)) {
            firstPacket = false;
            packet->stream_index = copy->index;
            av_packet_rescale_ts(packet.get(), video->time_base, copy->time_base);
            packet->pos = -1;
            checkFfmpeg(av_interleaved_write_frame(raw, packet.get()), "write " + output);
        }
        av_packet_unref(packet.get());
    }
    checkFfmpeg(av_write_trailer(raw), "finish " + output);
}

} // namespace orvane::media
