#pragma once

#include "PacketScan.h"

#include <optional>

namespace orvane::PieceTiming {

// Where a cut piece really begins in its source, in seconds from the source's first frame.
// A stream-copied cut starts at the key frame before the requested start, so its first frame
// is looked up by content; a re-encoded cut starts at the first frame at or after the start.
double firstFrameInSource(const media::VideoPacketList& source, const media::VideoPacketList& piece,
                          double requestedStart);

// The first source frame at or after `start` (seconds from the first frame); `start` when the
// source has no frame there.
double firstFrameAtOrAfter(const media::VideoPacketList& source, double start);

// Where the piece's first frame sits in a file joined by stream copy, in seconds from that
// file's first frame, searching from packet index `from` on (moved past the piece's packets);
// nothing when the joined file was re-encoded.
std::optional<double> offsetInJoined(const media::VideoPacketList& joined, const media::VideoPacketList& piece,
                                     size_t& from);

} // namespace orvane::PieceTiming
