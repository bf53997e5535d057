#pragma once

// What an export had to leave out of the footage asked for, so the result can name it: a
// camera file that cannot be read at all, or one cut short that gave less than asked.
// A value type; any thread.

#include "TeslaVideoFile.h"

#include <QString>
#include <vector>

namespace orvane {

struct SkippedFootage {
    enum class Kind {
        leftOut,  // nothing of it could be read: the export goes on without it
        cutShort, // it ends early: what it holds was exported
    };
    TeslaVideoFile video; // the user's file: its path, name, camera and start time
    Kind kind = Kind::leftOut;
    double askedSeconds = 0; // of this file, as the plan asked
    double keptSeconds = 0;  // exported (0 when left out)
    QString reason;          // why, in the user's words

    bool operator==(const SkippedFootage& other) const {
        return video.url == other.video.url && kind == other.kind && askedSeconds == other.askedSeconds &&
               keptSeconds == other.keptSeconds && reason == other.reason;
    }
};

using SkippedList = std::vector<SkippedFootage>;

} // namespace orvane
