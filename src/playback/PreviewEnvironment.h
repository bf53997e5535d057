#pragma once

#include "AbstractMediaPlayer.h"
#include "PlaybackStep.h"

#include <functional>

class QThreadPool;
#include <memory>
#include <vector>

namespace orvane {

// What the preview controllers need from the outside world, replaceable in tests: players,
// step measuring off the interface thread, and delayed calls.
struct PreviewEnvironment {
    using StepDurations = std::vector<double>;
    // Cancels a scheduled call that has not run yet.
    using Cancel = std::function<void()>;

    std::function<std::unique_ptr<media::AbstractMediaPlayer>()> makePlayer;
    // The player of a grid cell; makePlayer's when empty.
    std::function<std::unique_ptr<media::AbstractMediaPlayer>()> makeCellPlayer;
    // Measures the steps' lengths in the background; `done` runs on the interface thread.
    std::function<void(std::vector<PlaybackStep> steps, std::function<void(StepDurations)> done)>
        measureSteps;
    // Runs `action` on the interface thread after `milliseconds`.
    std::function<Cancel(int milliseconds, std::function<void()> action)> schedule;

    // MediaPlayer (tuned for grid cells in makeCellPlayer), VideoSegmentPlaylist::loadStepDurations
    // on `pool` (Qt's global pool when none is given), and QTimer.
    static PreviewEnvironment standard(QThreadPool* pool = nullptr);
};

} // namespace orvane
