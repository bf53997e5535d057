#include "VideoTimestampGroup.h"

#include "MinuteGroups.h"

#include <algorithm>

namespace orvane {

std::vector<VideoTimestampGroup> VideoTimestampGroup::groups(const std::vector<TeslaVideoFile>& videos) {
    std::vector<VideoTimestampGroup> result;
    for (MinuteGroup<TeslaVideoFile>& minute : groupByMinute(videos))
        result.push_back(VideoTimestampGroup{std::move(minute.key), distantPast, std::move(minute.items)});
    for (VideoTimestampGroup& group : result) {
        for (const TeslaVideoFile& v : group.videos)
            group.startTime = std::max(group.startTime, v.startTime);
        std::stable_sort(group.videos.begin(), group.videos.end(),
                         [](const TeslaVideoFile& a, const TeslaVideoFile& b) { return a.startTime > b.startTime; });
    }
    std::stable_sort(result.begin(), result.end(), [](const VideoTimestampGroup& a, const VideoTimestampGroup& b) {
        return a.startTime > b.startTime;
    });
    return result;
}

} // namespace orvane
