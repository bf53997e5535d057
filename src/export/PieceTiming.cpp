#include "PieceTiming.h"

#include <algorithm>
#include <cmath>

namespace orvane::PieceTiming {

namespace {

const media::VideoPacketSummary* firstPacket(const media::VideoPacketList& list) {
    return list.packets.empty() ? nullptr : &list.packets.front();
}

bool samePacket(const media::VideoPacketSummary& a, const media::VideoPacketSummary& b) {
    return a.hash == b.hash && a.size == b.size;
}

} // namespace

double firstFrameAtOrAfter(const media::VideoPacketList& source, double start) {
    // Half a millisecond absorbs the three-decimal rounding of the cut's start time.
    for (const auto& p : source.packets)
        if (p.time - source.firstTime >= start - 5e-4)
            return p.time - source.firstTime;
    return std::max(start, 0.0);
}

double firstFrameInSource(const media::VideoPacketList& source, const media::VideoPacketList& piece,
                          double requestedStart) {
    if (const auto* first = firstPacket(piece)) {
        // Nearest match to the requested start wins: a still picture can repeat bytes.
        const media::VideoPacketSummary* best = nullptr;
        for (const auto& p : source.packets)
            if (samePacket(p, *first) &&
                (!best || std::abs(p.time - source.firstTime - requestedStart) <
                              std::abs(best->time - source.firstTime - requestedStart)))
                best = &p;
        if (best)
            return best->time - source.firstTime;
    }
    return firstFrameAtOrAfter(source, std::max(requestedStart, 0.0));
}

std::optional<double> offsetInJoined(const media::VideoPacketList& joined, const media::VideoPacketList& piece,
                                     size_t& from) {
    const auto* first = firstPacket(piece);
    if (!first)
        return std::nullopt;
    for (size_t i = from; i < joined.packets.size(); ++i)
        if (samePacket(joined.packets[i], *first)) {
            from = i + piece.packets.size();
            return joined.packets[i].time - joined.firstTime;
        }
    return std::nullopt;
}

} // namespace orvane::PieceTiming
