#pragma once

#include "Instant.h"

#include <optional>
#include <vector>

namespace orvane {

// Maps a time in an exported (joined or composed) file to the wall-clock time at which that
// frame was recorded. Each piece covers [offset, offset + length) of the file and began at
// `recordedAt`; pieces are in file order and may come from recordings hours apart.
class ExportTimeline {
public:
    struct Piece {
        double offset = 0;      // seconds into the file
        double length = 0;      // seconds; <= 0 means "to the end"
        Instant recordedAt = 0; // wall-clock time of the piece's first frame
        bool operator==(const Piece&) const = default;
    };

    ExportTimeline() = default;
    explicit ExportTimeline(std::vector<Piece> pieces);
    // A whole file recorded from `recordedAt` on.
    static ExportTimeline continuous(Instant recordedAt) { return ExportTimeline({{0, 0, recordedAt}}); }

    // Nothing when the timeline is empty. A time before the first piece counts from it; a time
    // in a piece (or past the last) runs on from that piece's start. `slack` absorbs rounding
    // at piece boundaries (a frame a hair before the next piece's offset belongs to it).
    std::optional<Instant> instantAt(double fileTime, double slack = 1e-3) const;
    // The index in pieces() of the piece instantAt() counts from; none when empty.
    std::optional<size_t> pieceIndexAt(double fileTime, double slack = 1e-3) const;

    // The same timeline seen from `start` seconds into the file (for a trimmed re-encode).
    ExportTimeline shifted(double start) const;

    const std::vector<Piece>& pieces() const { return pieces_; }
    bool isEmpty() const { return pieces_.empty(); }

private:
    std::vector<Piece> pieces_;
};

} // namespace orvane
