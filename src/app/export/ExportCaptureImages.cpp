#include "ExportCaptureImages.h"

#include <QHash>
#include <QMutex>

namespace orvane {

namespace ExportCaptureImages {

namespace {

struct Store {
    QMutex mutex;
    QHash<QString, QImage> images;
};

Store& store() {
    static Store s;
    return s;
}

QString key(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces);
}

} // namespace

QString source(const QUuid& id) {
    return QStringLiteral("image://") + QLatin1String(providerId) + QLatin1Char('/') + key(id);
}

QImage thumbnail(const QImage& frame) {
    if (frame.width() <= thumbnailSize.width() && frame.height() <= thumbnailSize.height())
        return frame;
    return frame.scaled(thumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void put(const QUuid& id, const QImage& picture) {
    QMutexLocker lock(&store().mutex);
    store().images.insert(key(id), picture);
}

void remove(const QUuid& id) {
    QMutexLocker lock(&store().mutex);
    store().images.remove(key(id));
}

QImage find(const QString& id) {
    QMutexLocker lock(&store().mutex);
    return store().images.value(id);
}

} // namespace ExportCaptureImages

ExportCaptureImageProvider::ExportCaptureImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage ExportCaptureImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    QImage image = ExportCaptureImages::find(id);
    if (!image.isNull() && requestedSize.isValid() && !requestedSize.isEmpty() &&
        (image.width() > requestedSize.width() || image.height() > requestedSize.height()))
        image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}

} // namespace orvane
