#include "FrameCapture.h"

#include "ExportErrors.h"
#include "FileDelivery.h"
#include "FrameGrabber.h"
#include "MediaError.h"
#include "MediaErrorText.h"
#include "OwnedFiles.h"
#include "PhotosLibraryExporter.h"
#include "PlaybackTimeFormat.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
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
                throw UserFacingError(QCoreApplication::translate("FrameCapture", "无法读取画面"));
            return Frame{grabbed.image, grabbed.actualTime};
        } catch (const media::MediaError& e) {
            throw UserFacingError(QCoreApplication::translate("FrameCapture", "无法读取画面: ") +
                                  media::userText(e));
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
        throw FileSystemError(QCoreApplication::translate("FrameCapture", "无法编码 PNG 图片"));
    return data;
}

void saveImage(const QImage& image, const QString& path, const QStringList& sources) {
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format))
        throw FileSystemError(QCoreApplication::translate("FrameCapture", "不支持的图片格式: ") + path);
    FileDelivery::checkOutput(path, sources);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (image.isNull() || !writer.write(image))
        throw FileSystemError(QCoreApplication::translate("FrameCapture", "无法编码图片: ") +
                              writer.errorString());
    FileDelivery::writeFile(data, path, sources);
}

namespace {

// A capture goes to the photo library under its own name, from a folder of this process's own.
void importToLibrary(const QByteArray& data, const QString& name) {
    const QString folder = OwnedFiles::temporaryPath(OwnedFiles::captureFolderPrefix);
    if (!QDir().mkdir(folder))
        throw FileSystemError(QCoreApplication::translate("FrameCapture", "无法创建临时目录: ") + folder);
    struct RemoveFolder {
        QString path;
        ~RemoveFolder() { QDir(path).removeRecursively(); }
    } removeFolder{folder};
    try {
        OwnedFile staged = OwnedFile::create(QDir(folder).filePath(name));
        staged.writeAll(data);
        PhotosLibraryExporter::importImage(staged.path());
    } catch (const FileSystemError& e) {
        throw FileSystemError(QCoreApplication::translate("FrameCapture", "无法写入文件: ") +
                              e.description());
    }
}

} // namespace

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
            importToLibrary(data, name);
        }
    }
    const auto count = qsizetype(captures.size());
    return destination.isFolder()
               ? QCoreApplication::translate("FrameCapture", "已将 %n 张图片保存到视频所在目录", nullptr,
                                             count)
               : QCoreApplication::translate("FrameCapture", "已将 %n 张图片保存到系统相册", nullptr, count);
}

} // namespace orvane::FrameCapture
