#pragma once
// Resolves a preview position to the file and the time inside it from which telemetry and the
// watermark time are read. Pure functions over values; any thread.

#include "PlaybackStep.h"
#include "TeslaVideoFile.h"
#include "VideoSegmentPlaylist.h"

#include <optional>
#include <vector>

namespace orvane::PlaybackSegmentResolver {

// The file that stands for a step: its front-camera file, else its first file; none for an
// empty list.
std::optional<TeslaVideoFile> telemetryVideo(const std::vector<TeslaVideoFile>& files);

// Where global time `t` falls. Through the continuous playlist when one is given and `t`
// locates inside it (none when that step has no file); otherwise inside `selectedVideo` with
// `controllerDuration` (the current preview controller's length) as its duration, the local
// time clamped to 0…duration. None without playlist and without a selected file.
std::optional<PlaybackSegmentContext> playbackSegment(double t, const std::vector<PlaybackStep>& steps,
                                                      const std::vector<double>& stepDurations,
                                                      const std::optional<TeslaVideoFile>& selectedVideo,
                                                      double controllerDuration);

// The start of the step after the one `t` falls in; none without a continuous playlist, when
// `t` resolves outside it, or at its last step.
std::optional<PlaybackSegmentContext> nextPlaybackSegment(double t, const std::vector<PlaybackStep>& steps,
                                                          const std::vector<double>& stepDurations,
                                                          const std::optional<TeslaVideoFile>& selectedVideo,
                                                          double controllerDuration);

} // namespace orvane::PlaybackSegmentResolver
