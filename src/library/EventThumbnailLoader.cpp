#include "EventThumbnailLoader.h"

#include "DirectoryListing.h"
#include "EventLength.h"
#include "FrameGrabber.h"
#include "MetadataParser.h"
#include "MetadataParserError.h"
#include "MinuteGroups.h"
#include "TeslaTimeParser.h"
#include "TeslaVideoFile.h"

#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane::EventThumbnailLoader {

namespace {

QString fileNameOf(const QString& path) { return QFileInfo(path).fileName(); }

} // namespace

std::optional<Instant> fileNameDate(const QString& name) {
    const QString key = TeslaVideoFile::timestampKey(name);
    // Exactly "yyyy-MM-dd_HH-mm-ss".
    if (key.size() != 19 || key[10] != QLatin1Char('_') || key[13] != QLatin1Char('-') || key[16] != QLatin1Char('-'))
        return std::nullopt;
    QString local = key;
    local[10] = QLatin1Char('T');
    local[13] = QLatin1Char(':');
    local[16] = QLatin1Char(':');
    return TeslaTimeParser::parseLocalDateTime(local);
}

std::vector<QStringList> videoGroups(const TeslaClipEvent& event) {
    if (event.sourceFileURL)
        return {QStringList{*event.sourceFileURL}};

    const QStringList names = DirectoryListing::listFilesOrThrow(event.folderURL);
    const double lower = event.startTime - MetadataParser::rangeTolerance;
    const double upper = event.endTime.value_or(event.startTime) + MetadataParser::rangeTolerance;
    QStringList paths; // listing order
    for (const QString& name : names) {
        if (QFileInfo(name).suffix().toLower() != QLatin1String("mp4"))
            continue;
        if (event.isContinuousSession) {
            const std::optional<Instant> date = fileNameDate(name);
            if (date && (*date < lower || *date > upper))
                continue;
        }
        paths << event.folderURL + QLatin1Char('/') + name;
    }
    auto groups = groupByMinute(paths, fileNameOf);
    std::stable_sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
        return fileNameOf(a.items.front()) < fileNameOf(b.items.front());
    });
    std::vector<QStringList> result;
    result.reserve(groups.size());
    for (auto& group : groups)
        result.push_back(QStringList(group.items.begin(), group.items.end()));
    return result;
}

std::optional<QString> preferredVideoURL(const QStringList& urls) {
    for (const QString& url : urls)
        if (url.endsWith(Camera::fileNameSuffix(CameraAngle::front)))
            return url;
    if (urls.isEmpty())
        return std::nullopt;
    return *std::min_element(urls.begin(), urls.end(),
                             [](const QString& a, const QString& b) { return fileNameOf(a) < fileNameOf(b); });
}

QImage image(const TeslaClipEvent& event) {
    const std::vector<QStringList> groups = videoGroups(event);
    const std::optional<QString> file = groups.empty() ? std::nullopt : preferredVideoURL(groups.front());
    if (!file)
        throw FileSystemError(QString::fromLocal8Bit(std::strerror(ENOENT)) + QStringLiteral(": ") + event.folderURL);
    media::FrameRequest request;
    request.maxSize = maximumImageSize;
    return media::FrameGrabber::grab(*file, request).image;
}

double duration(const TeslaClipEvent& event) {
    try {
        return EventLength::ofEvent(videoGroups(event), EventLength::containerDuration);
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace orvane::EventThumbnailLoader
