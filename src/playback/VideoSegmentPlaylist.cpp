#include "VideoSegmentPlaylist.h"

#include "VideoTimestampGroup.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace orvane {

VideoSegmentPlaylist VideoSegmentPlaylist::singleCamera(const std::vector<TeslaVideoFile>& videos) {
    std::vector<TeslaVideoFile> sorted = videos;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TeslaVideoFile& a, const TeslaVideoFile& b) { return a.startTime < b.startTime; });
    VideoSegmentPlaylist playlist;
    QStringList ids;
    for (TeslaVideoFile& video : sorted) {
        ids << video.id.toString(QUuid::WithoutBraces).toUpper();
        playlist.steps.push_back(PlaybackStep::single(std::move(video)));
    }
    playlist.signature = QStringLiteral("single|") + ids.join(QLatin1Char(','));
    return playlist;
}

VideoSegmentPlaylist VideoSegmentPlaylist::multiCamera(const std::vector<TeslaVideoFile>& videos) {
    std::vector<VideoTimestampGroup> groups = VideoTimestampGroup::groups(videos);
    std::reverse(groups.begin(), groups.end());
    VideoSegmentPlaylist playlist;
    QStringList ids;
    for (VideoTimestampGroup& group : groups) {
        ids << group.id;
        playlist.steps.push_back(PlaybackStep::multiCamera(std::move(group.videos)));
    }
    playlist.signature = QStringLiteral("grid|") + ids.join(QLatin1Char(','));
    return playlist;
}

std::optional<double> VideoSegmentPlaylist::containerDuration(const QString& url) {
    return EventLength::containerDuration(url);
}

std::vector<double> VideoSegmentPlaylist::loadStepDurations(const std::vector<PlaybackStep>& steps,
                                                            const DurationReader& reader) {
    std::vector<double> durations;
    durations.reserve(steps.size());
    for (const PlaybackStep& step : steps) {
        QStringList files;
        for (const TeslaVideoFile& file : step.files())
            files << file.url;
        durations.push_back(EventLength::ofMinute(files, reader));
    }
    return durations;
}

std::optional<std::pair<int, double>> VideoSegmentPlaylist::locate(double globalTime,
                                                                   const std::vector<double>& durations) {
    if (durations.empty())
        return std::nullopt;
    double t = globalTime > 0 ? globalTime : 0; // NaN counts as 0 too
    const int last = int(durations.size()) - 1;
    for (int i = 0;; ++i) {
        const double d = durations[size_t(i)];
        if (t < d || i == last)
            return std::pair{i, std::min(t, d)};
        t -= d;
    }
}

double VideoSegmentPlaylist::globalTime(int stepIndex, double localTime, const std::vector<double>& durations) {
    if (stepIndex < 0 || size_t(stepIndex) >= durations.size())
        return 0;
    double sum = 0;
    for (int i = 0; i < stepIndex; ++i)
        sum += durations[size_t(i)];
    return sum + std::min(durations[size_t(stepIndex)], localTime > 0 ? localTime : 0.0);
}

} // namespace orvane
