#pragma once
// Which video packets a timelapse must decode: a stretch from one key frame to the next that
// holds none of the moments taken is passed over whole, and so is the rest of a stretch after its
// last one. Any thread; one per export run.

#include <string>
#include <vector>

namespace orvane::media {

class TimelapsePackets {
public:
    // Key frames' times (seconds, ascending); a moment is taken every `step` seconds from the
    // origin set by start(). Frames within `margin` seconds after a moment are kept too: rounding
    // may show them there. A moment from `keyLead` seconds before a key frame on is shown from
    // that key frame's stretch (a negative lead: only from that long after it), so the stretch
    // before it is not needed for it. Without key frames known, every packet is decoded.
    TimelapsePackets(std::vector<double> keyFrames, double step, double margin, double keyLead);

    // The first frame written lies at `origin`; the next moments follow it every step.
    void start(double origin);
    // Whether the packet of the frame that starts at `time` must be decoded (`key`: a key
    // frame). Packets are given in presentation order, once each.
    bool needed(double time, bool key);

private:
    // The last moment taken in [from, to), if any.
    bool lastMomentIn(double from, double to, double* moment) const;

    std::vector<double> keyFrames_;
    double step_, margin_, keyLead_;
    bool started_ = false;
    double origin_ = 0;
    bool stretchNeeded_ = true;
    double lastMoment_ = 0; // of the stretch being read
    bool pastLastMoment_ = false;
};

// Copies the video of `input` into `output` (MP4, times kept) with only the packets a timelapse
// needs whose moments lie `step` seconds apart from `origin` (seconds from the file's start),
// `margin` and `keyLead` as TimelapsePackets takes them. Whatever decodes the copy decodes no
// more than that. The first packet is always kept, so the copy starts when its input does and a
// seek into it means the same time as in the input; a video with B-frames is copied whole.
// Throws MediaError (and what opening a clip throws).
void copyTimelapsePackets(const std::string& input, const std::string& output, double origin, double step,
                          double margin, double keyLead);

} // namespace orvane::media
