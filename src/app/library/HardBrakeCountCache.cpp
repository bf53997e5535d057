#include "HardBrakeCountCache.h"

#include "DriveProfile.h"
#include "EventDrive.h"
#include "MetadataParser.h"
#include "UserFacingError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <cmath>
#include <limits>

namespace orvane::HardBrakeCountCache {

namespace {

// Raised when what an entry holds changes meaning.
constexpr int entryFormat = 1;
// An entry is a few dozen bytes; anything much longer is not one.
constexpr qint64 entryMaximumBytes = 4096;

QString entryPath(const QString& dir, const TeslaClipEvent& event) {
    const QByteArray key = QFile::encodeName(eventKey(event));
    return dir + QLatin1Char('/') +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex()) +
           QStringLiteral(".json");
}

// The files counted as they are now, and the rule they were counted with: a file added, removed,
// rewritten or touched, or another threshold, makes another state.
QString stateOf(const std::vector<TeslaVideoFile>& videos) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(DriveProfile::hardBrakeG) + '|' +
                 QByteArray::number(DriveProfile::hardBrakeFrames) + '|' +
                 QByteArray::number(DriveProfile::markMergeSeconds) + '\n');
    for (const TeslaVideoFile& video : videos) {
        const QFileInfo info(video.url);
        hash.addData(QFile::encodeName(video.url) + '|' + QByteArray::number(info.size()) + '|' +
                     QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + '\n');
    }
    return QString::fromLatin1(hash.result().toHex());
}

std::optional<int> kept(const QString& path, const QString& state) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > entryMaximumBytes)
        return std::nullopt;
    const QJsonObject entry = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonValue count = entry.value(QStringLiteral("hardBrakes"));
    if (entry.value(QStringLiteral("format")).toInt() != entryFormat ||
        entry.value(QStringLiteral("files")).toString() != state || !count.isDouble())
        return std::nullopt;
    const double n = count.toDouble();
    if (n < 0 || n != std::floor(n) || n > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(n);
}

void keep(const QString& dir, const QString& path, const QString& state, int count) {
    if (!QDir().mkpath(dir))
        return;
    const QJsonObject entry{{QStringLiteral("format"), entryFormat},
                            {QStringLiteral("files"), state},
                            {QStringLiteral("hardBrakes"), count}};
    // Written whole or not at all: a half-written entry never reads as a count.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(QJsonDocument(entry).toJson(QJsonDocument::Compact)) >= 0)
        file.commit();
}

} // namespace

QString eventKey(const TeslaClipEvent& event) {
    return event.folderURL + QLatin1Char('|') + event.sourceFileURL.value_or(QString()) + QLatin1Char('|') +
           QString::number(event.startTime, 'f', 3) + QLatin1Char('|') +
           QString::number(event.endTime.value_or(event.startTime), 'f', 3) + QLatin1Char('|') +
           QString::number(int(event.isContinuousSession));
}

QString folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/orvane/hard-brakes");
}

int countFromFootage(const std::vector<TeslaVideoFile>& videos, const CancellationToken& cancel,
                     const MinuteRecord::FileReader& reader) {
    return int(EventDrive::read(videos, cancel, reader).hardBrakes.size());
}

std::optional<int> count(const TeslaClipEvent& event, const Counter& count, const CancellationToken& cancel,
                         const QString& dir) {
    std::vector<TeslaVideoFile> videos;
    try {
        videos = MetadataParser::loadVideos(event, CameraAngle::all);
    } catch (const UserFacingError&) {
        return std::nullopt; // the folder is gone or unreadable: not known
    }
    cancel.check();
    // What the car encrypted is read with the session's keys only; nothing of it outlives them.
    if (event.isEncrypted)
        return count(videos, cancel);
    const QString path = entryPath(dir, event);
    const QString state = stateOf(videos);
    if (const auto found = kept(path, state))
        return found;
    const int counted = count(videos, cancel);
    // Files that changed or went while being read (a drive pulled out reads as calm) are not kept.
    if (stateOf(videos) == state)
        keep(dir, path, state, counted);
    return counted;
}

} // namespace orvane::HardBrakeCountCache
