#include "ThumbnailDiskCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace orvane::ThumbnailDiskCache {

namespace {

// Small enough to read back in a few milliseconds, sharp enough for a card.
constexpr int jpegQuality = 85;

// Names the event and the state of what its picture comes from: a file added to or removed
// from its folder, or its single file rewritten, makes another name.
QString keyOf(const TeslaClipEvent& event) {
    const QFileInfo source(event.sourceFileURL.value_or(event.folderURL));
    QByteArray key = QFile::encodeName(event.folderURL) + '|' +
                     QFile::encodeName(event.sourceFileURL.value_or(QString())) + '|' +
                     QByteArray::number(event.startTime, 'f', 3) + '|' +
                     QByteArray::number(event.endTime.value_or(event.startTime), 'f', 3) + '|' +
                     QByteArray::number(event.isContinuousSession) + '|' +
                     QByteArray::number(source.lastModified().toMSecsSinceEpoch()) + '|' +
                     QByteArray::number(source.size());
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex());
}

} // namespace

QString folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/orvane/thumbnails");
}

QImage image(const TeslaClipEvent& event, const std::function<QImage(const TeslaClipEvent&)>& make) {
    // What the car encrypted is shown with the session's keys only; no picture of it outlives them.
    if (event.isEncrypted)
        return make(event);
    const QString dir = folder();
    const QString path = dir + QLatin1Char('/') + keyOf(event) + QStringLiteral(".jpg");
    QImage kept(path, "JPG");
    if (!kept.isNull())
        return kept;
    QImage made = make(event);
    if (made.isNull() || !QDir().mkpath(dir))
        return made;
    // Written whole or not at all: a half-written picture never reads as a card's.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && made.save(&file, "JPG", jpegQuality))
        file.commit();
    return made;
}

} // namespace orvane::ThumbnailDiskCache
