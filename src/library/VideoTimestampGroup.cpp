#include "VideoTimestampGroup.h"

#include <QHash>

#include <algorithm>

namespace orvane {

std::vector<VideoTimestampGroup> VideoTimestampGroup::groups(const std::vector<TeslaVideoFile>& videos) {
    std::vector<VideoTimestampGroup> result;
    QHash<QString, size_t> indexOfKey;
    for (const TeslaVideoFile& video : videos) {
        const QString key = TeslaVideoFile::timestampKey(video.fileName);
        auto it = indexOfKey.constFind(key);
        if (it == indexOfKey.constEnd()) {
            it = indexOfKey.insert(key, result.size());
            result.push_back(VideoTimestampGroup{key, distantPast, {}});
        }
        result[*it].videos.push_back(video);
    }
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
