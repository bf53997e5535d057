#include "TeslaClipEvent.h"

#include <QCoreApplication>

namespace orvane {

namespace {

QString outputFileName(ClipCategory category, CameraAngle camera, Instant start, Instant end) {
    const QString pattern = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
    const QString cameraWord = camera == CameraAngle::all ? QStringLiteral("grid") : Camera::rawValue(camera);
    return Category::folderName(category) + QLatin1Char('_') + LocalTime::format(start, pattern) +
           QLatin1Char('_') + LocalTime::format(end, pattern) + QLatin1Char('_') + cameraWord +
           QStringLiteral("_watermarked.mp4");
}

} // namespace

QString TeslaClipEvent::timeRangeTitle() const {
    const QString pattern = QStringLiteral("HH:mm:ss");
    QString title = LocalTime::format(startTime, pattern);
    if (endTime && *endTime > startTime)
        title = QCoreApplication::translate("TeslaClipEvent", "%1～%2")
                    .arg(title, LocalTime::format(*endTime, pattern));
    return title;
}

QString TeslaClipEvent::continuousOutputFileName(CameraAngle camera) const {
    return outputFileName(category, camera, startTime, endTime.value_or(startTime));
}

QString TeslaClipEvent::partialContinuousOutputFileName(CameraAngle camera, double rangeStart,
                                                        double rangeEnd) const {
    return outputFileName(category, camera, startTime + rangeStart, startTime + rangeEnd);
}

} // namespace orvane
