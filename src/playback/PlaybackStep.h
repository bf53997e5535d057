#pragma once

#include "TeslaVideoFile.h"

#include <optional>
#include <vector>

namespace orvane {

// One entry of a playlist: a single file, or the files of one recorded minute played side by
// side (one per camera).
class PlaybackStep {
public:
    enum class Kind { single, multiCamera };

    static PlaybackStep single(TeslaVideoFile video) { return PlaybackStep(Kind::single, {std::move(video)}); }
    static PlaybackStep multiCamera(std::vector<TeslaVideoFile> videos) {
        return PlaybackStep(Kind::multiCamera, std::move(videos));
    }

    Kind kind() const { return kind_; }
    // The single file, or the first of a multi-camera step (none when it carries no file).
    std::optional<TeslaVideoFile> primaryVideo() const {
        if (files_.empty())
            return std::nullopt;
        return files_.front();
    }
    // One file for a single step, the carried list for a multi-camera step.
    const std::vector<TeslaVideoFile>& files() const { return files_; }

private:
    PlaybackStep(Kind kind, std::vector<TeslaVideoFile> files) : kind_(kind), files_(std::move(files)) {}
    Kind kind_;
    std::vector<TeslaVideoFile> files_;
};

} // namespace orvane
