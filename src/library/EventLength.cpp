#include "EventLength.h"

#include "CameraAngle.h"
#include "MediaProbe.h"
#include "RegularFile.h"
#include "TeslaVideoFile.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>

namespace orvane::EventLength {

QStringList minuteFiles(const QString& path) {
    const QFileInfo info(path);
    const auto suffix = Camera::matchSuffix(info.fileName());
    if (!suffix)
        return {path};
    const QString key = TeslaVideoFile::timestampKey(info.fileName());
    // The extension as this file writes it: a drive copied through another system says ".MP4".
    const QString extension = info.fileName().right(4);
    const QDir folder = info.dir();
    QStringList files;
    for (CameraAngle camera : Camera::physicalCases) {
        const QString name = key + Camera::fileNameSuffix(camera).chopped(4) + extension;
        const QString candidate = folder.filePath(name);
        if (name == info.fileName())
            files << path;
        else if (const auto found = RegularFile::identify(candidate); found && found->isRegular())
            files << candidate;
    }
    if (!files.contains(path)) // the 2019 back camera's "-rear_view.mp4"
        files << path;
    return files;
}

double ofMinute(const QStringList& files, const DurationReader& reader) {
    QStringList all;
    for (const QString& file : files)
        for (const QString& beside : minuteFiles(file))
            if (!all.contains(beside))
                all << beside;
    double longest = 0;
    for (const QString& file : all) {
        const std::optional<double> seconds = reader(file);
        if (seconds && std::isfinite(*seconds) && *seconds > longest)
            longest = *seconds;
    }
    return longest > 0 ? longest : unmeasuredMinute;
}

double ofEvent(const std::vector<QStringList>& minutes, const DurationReader& reader) {
    double total = 0;
    for (const QStringList& minute : minutes)
        total += ofMinute(minute, reader);
    return total;
}

std::optional<double> containerDuration(const QString& path) {
    return media::MediaProbe::duration(path);
}

} // namespace orvane::EventLength
