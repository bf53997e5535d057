#include "EventDrive.h"

namespace orvane::EventDrive {

DriveProfile read(const std::vector<TeslaVideoFile>& videos, const CancellationToken& cancel,
                  const MinuteRecord::FileReader& reader,
                  const VideoSegmentPlaylist::DurationReader& durations) {
    const VideoSegmentPlaylist playlist = VideoSegmentPlaylist::multiCamera(videos);
    const std::vector<double> lengths = VideoSegmentPlaylist::loadStepDurations(playlist.steps, durations);
    std::vector<DriveMinute> minutes;
    double start = 0;
    for (size_t i = 0; i < playlist.steps.size(); ++i) {
        cancel.check();
        if (const auto video = playlist.steps[i].primaryVideo()) {
            MinuteRecord record = reader ? MinuteRecord::read(*video, reader) : MinuteRecord::read(*video);
            minutes.push_back({start, lengths[i], video->startTime, std::move(record.samples),
                               std::move(record.frameTimes)});
        }
        start += lengths[i];
    }
    return DriveProfile::build(std::move(minutes));
}

} // namespace orvane::EventDrive
