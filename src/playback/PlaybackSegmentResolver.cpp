#include "PlaybackSegmentResolver.h"

#include <algorithm>
#include <cmath>

namespace orvane::PlaybackSegmentResolver {

namespace {
// A playback time that is not a number reads as the start, as locating does.
double startIfNaN(double t) { return std::isnan(t) ? 0.0 : t; }
} // namespace

std::optional<TeslaVideoFile> telemetryVideo(const std::vector<TeslaVideoFile>& files) {
    const auto front = std::find_if(files.begin(), files.end(),
                                    [](const TeslaVideoFile& f) { return f.cameraAngle == CameraAngle::front; });
    if (front != files.end())
        return *front;
    if (files.empty())
        return std::nullopt;
    return files.front();
}

std::optional<PlaybackSegmentContext> playbackSegment(double t, const std::vector<PlaybackStep>& steps,
                                                      const std::vector<double>& stepDurations,
                                                      const std::optional<TeslaVideoFile>& selectedVideo,
                                                      double controllerDuration) {
    if (!steps.empty()) {
        const auto located = VideoSegmentPlaylist::locate(t, stepDurations);
        if (located && located->first < int(steps.size())) {
            const int i = located->first;
            const auto video = telemetryVideo(steps[size_t(i)].files());
            if (!video)
                return std::nullopt;
            return PlaybackSegmentContext{*video, located->second, stepDurations[size_t(i)], i};
        }
    }
    if (!selectedVideo)
        return std::nullopt;
    const double d = controllerDuration;
    const double local = std::min(std::max(startIfNaN(t), 0.0), std::max(startIfNaN(d), 0.0));
    return PlaybackSegmentContext{*selectedVideo, local, d, std::nullopt};
}

std::optional<PlaybackSegmentContext> nextPlaybackSegment(double t, const std::vector<PlaybackStep>& steps,
                                                          const std::vector<double>& stepDurations,
                                                          const std::optional<TeslaVideoFile>& selectedVideo,
                                                          double controllerDuration) {
    if (steps.empty())
        return std::nullopt;
    const auto current = playbackSegment(t, steps, stepDurations, selectedVideo, controllerDuration);
    if (!current || !current->stepIndex)
        return std::nullopt;
    const int n = *current->stepIndex + 1;
    if (n >= int(steps.size()) || n >= int(stepDurations.size()))
        return std::nullopt;
    const auto video = telemetryVideo(steps[size_t(n)].files());
    if (!video)
        return std::nullopt;
    return PlaybackSegmentContext{*video, 0.0, stepDurations[size_t(n)], n};
}

} // namespace orvane::PlaybackSegmentResolver
