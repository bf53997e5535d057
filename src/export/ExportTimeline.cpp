#include "ExportTimeline.h"

#include <algorithm>

namespace orvane {

ExportTimeline::ExportTimeline(std::vector<Piece> pieces) : pieces_(std::move(pieces)) {
    std::stable_sort(pieces_.begin(), pieces_.end(),
                     [](const Piece& a, const Piece& b) { return a.offset < b.offset; });
}

std::optional<size_t> ExportTimeline::pieceIndexAt(double fileTime, double slack) const {
    if (pieces_.empty())
        return std::nullopt;
    size_t current = 0;
    for (size_t i = 0; i < pieces_.size(); ++i)
        if (pieces_[i].offset <= fileTime + slack)
            current = i;
    return current;
}

std::optional<Instant> ExportTimeline::instantAt(double fileTime, double slack) const {
    const auto index = pieceIndexAt(fileTime, slack);
    if (!index)
        return std::nullopt;
    const Piece& current = pieces_[*index];
    return current.recordedAt + (fileTime - current.offset);
}

ExportTimeline ExportTimeline::shifted(double start) const {
    std::vector<Piece> moved;
    for (const Piece& p : pieces_) {
        const double end = p.length > 0 ? p.offset + p.length : -1;
        if (end >= 0 && end <= start)
            continue;
        Piece q = p;
        if (p.offset < start) {
            q.recordedAt += start - p.offset;
            q.length = p.length > 0 ? end - start : p.length;
            q.offset = 0;
        } else {
            q.offset = p.offset - start;
        }
        moved.push_back(q);
    }
    if (moved.empty() && !pieces_.empty()) {
        Piece last = pieces_.back();
        moved.push_back({0, 0, last.recordedAt + (start - last.offset)});
    }
    return ExportTimeline(std::move(moved));
}

} // namespace orvane
