#pragma once
// Small pictures of the result page's captures for QML ("image://exportcapture/<id>"): the page
// puts a thumbnail in when it captures and takes it out when the capture goes. The store may be
// used from any thread (the engine's image reader asks for pictures on its own thread).

#include <QImage>
#include <QQuickImageProvider>
#include <QString>
#include <QUuid>

namespace orvane {

namespace ExportCaptureImages {

inline constexpr char providerId[] = "exportcapture";
// Thumbnails fit this box (aspect kept): sharp in the strip on a 2× screen, small in memory.
inline constexpr QSize thumbnailSize{480, 270};

QString source(const QUuid& id);
QImage thumbnail(const QImage& frame);
void put(const QUuid& id, const QImage& thumbnail);
void remove(const QUuid& id);
QImage find(const QString& id);

} // namespace ExportCaptureImages

class ExportCaptureImageProvider : public QQuickImageProvider {
public:
    ExportCaptureImageProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

} // namespace orvane
