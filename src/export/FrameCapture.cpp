#include "FrameCapture.h"

#include "ExportErrors.h"
#include "FileDelivery.h"
#include "FrameGrabber.h"
#include "MediaError.h"
#include "PlaybackTimeFormat.h"
#include "PhotosLibraryExporter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <cmath>

namespace orvane::FrameCapture {

double captureTime(double playerTime, double pageTime, double duration) {
    double t = std::isfinite(playerTime) ? playerTime : pageTime;
    if (!std::isfinite(t))
        t = 0;
    const double last = std::isfinite(duration) ? std::max(duration - guardInterval, 0.0) : 0.0;
    return std::min(std::max(t, 0.0), last);
}

ExportedFrameCapture capture(const FrameSource& source, double time) {
    Frame frame;
    try {
        frame = source(time, 0);
    } catch (const std::exception&) {
        frame = source(time, guardInterval);
    }
    return {QUuid::createUuid(), frame.image, std::isfinite(frame.actualTime) ? frame.actualTime : 0.0};
}

FrameSource fileSource(const QString& videoPath) {
    return [videoPath](double time, double tolerance) {
        try {
            media::FrameRequest request;
            request.time = time;
            request.toleranceBefore = tolerance;
            request.toleranceAfter = tolerance;
            const media::GrabbedFrame grabbed = media::FrameGrabber::grab(videoPath, request);
            if (grabbed.image.isNull())
                throw UserFacingError(QStringLiteral("无法读取画面"));
            return Frame{grabbed.image, grabbed.actualTime};
        } catch (const media::MediaError& e) {
            throw UserFacingError(QStringLiteral("无法读取画面: ") + QString::fromStdString(e.what()));
        }
    };
}

QString imageFileName(double captureTime, const ExportTimeline& timeline) {
    QString stamp;
    if (auto recordedAt = timeline.instantAt(captureTime))
        stamp = LocalTime::format(*recordedAt, QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    else
        stamp = PlaybackTimeFormat::format(captureTime).replace(QLatin1Char(':'), QLatin1Char('-'));
    return QStringLiteral("TeslaCam-") + stamp + QStringLiteral(".png");
}

QByteArray pngData(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG") || data.isEmpty())
        throw FileSystemError(QStringLiteral("无法编码 PNG 图片"));
    return data;
}

QString saveAll(const std::vector<ExportedFrameCapture>& captures, const OutputDestination& destination,
                const ExportTimeline& timeline) {
    if (captures.empty())
        return {};
    for (const ExportedFrameCapture& c : captures) {
        const QByteArray data = pngData(c.image);
        const QString name = imageFileName(c.time, timeline);
        if (destination.isFolder()) {
            FileDelivery::writeToFreeName(data, destination.folder, name);
        } else {
            const QString staging = QDir(QDir::tempPath())
                                        .filePath(QStringLiteral("TeslaCam-") +
                                                  QUuid::createUuid().toString(QUuid::WithoutBraces) +
                                                  QStringLiteral(".png"));
            struct Remove {
                QString path;
                ~Remove() { QFile::remove(path); }
            } remove{staging};
            QFile file(staging);
            if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush())
                throw FileSystemError(QStringLiteral("无法写入文件: ") + file.errorString());
            file.close();
            // The library copy keeps the capture's own name, not the staging name.
            const QString named = QDir(QDir::tempPath()).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
            QDir().mkpath(named);
            struct RemoveDir {
                QString path;
                ~RemoveDir() { QDir(path).removeRecursively(); }
            } removeDir{named};
            const QString renamed = QDir(named).filePath(name);
            if (!QFile::rename(staging, renamed))
                throw FileSystemError(QStringLiteral("无法写入文件: ") + renamed);
            PhotosLibraryExporter::importImage(renamed);
        }
    }
    const QString count = QString::number(captures.size());
    return destination.isFolder() ? QStringLiteral("已将 ") + count + QStringLiteral(" 张图片保存到视频所在目录")
                                  : QStringLiteral("已将 ") + count + QStringLiteral(" 张图片保存到系统相册");
}

} // namespace orvane::FrameCapture
