#pragma once

// Grouping a drive's files by the recorded minute their names carry: the one rule the scanner,
// the thumbnails, the playlists and the grid use. Pure functions; any thread may call them.

#include "TeslaVideoFile.h"

#include <QHash>
#include <QString>

#include <iterator>
#include <type_traits>
#include <vector>

namespace orvane {

template <typename T>
struct MinuteGroup {
    QString key;          // TeslaVideoFile::timestampKey of the items' file names
    std::vector<T> items; // in input order
};

// The items grouped by TeslaVideoFile::timestampKey of `fileNameOf(item)`, each minute where
// its first item appears.
template <typename Range, typename FileNameOf>
auto groupByMinute(const Range& items, FileNameOf&& fileNameOf) {
    using T = std::decay_t<decltype(*std::begin(items))>;
    std::vector<MinuteGroup<T>> groups;
    QHash<QString, size_t> indexOfKey;
    for (const T& item : items) {
        QString key = TeslaVideoFile::timestampKey(fileNameOf(item));
        auto it = indexOfKey.constFind(key);
        if (it == indexOfKey.constEnd()) {
            it = indexOfKey.insert(key, groups.size());
            groups.push_back({std::move(key), {}});
        }
        groups[*it].items.push_back(item);
    }
    return groups;
}

// The same for camera files, by their own names.
inline std::vector<MinuteGroup<TeslaVideoFile>> groupByMinute(const std::vector<TeslaVideoFile>& videos) {
    return groupByMinute(videos, [](const TeslaVideoFile& v) -> const QString& { return v.fileName; });
}

// The files of one minute (its timestamp key), in input order.
inline std::vector<TeslaVideoFile> filesOfMinute(const std::vector<TeslaVideoFile>& videos,
                                                 const QString& key) {
    std::vector<TeslaVideoFile> files;
    for (const TeslaVideoFile& v : videos)
        if (TeslaVideoFile::timestampKey(v.fileName) == key)
            files.push_back(v);
    return files;
}

} // namespace orvane
