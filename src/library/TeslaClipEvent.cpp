#include "TeslaClipEvent.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace orvane {

namespace {

const QString timePattern = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
const QString watermarkedSuffix = QStringLiteral("_watermarked.mp4");

// "<category>_<start>_<end>_<camera>_watermarked.mp4".
QString windowName(const QString& category, Instant start, Instant end, const QString& cameraWord) {
    return category + QLatin1Char('_') + LocalTime::format(start, timePattern) + QLatin1Char('_') +
           LocalTime::format(end, timePattern) + QLatin1Char('_') + cameraWord + watermarkedSuffix;
}

QString outputFileName(ClipCategory category, CameraAngle camera, Instant start, Instant end) {
    const QString cameraWord = camera == CameraAngle::all ? QStringLiteral("grid") : Camera::rawValue(camera);
    return windowName(Category::folderName(category), start, end, cameraWord);
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

std::optional<QString> TeslaClipEvent::retimedOutputFileName(const QString& fileName, Instant first,
                                                             Instant last) {
    static const QRegularExpression window(
        QStringLiteral("^(.*)_%1_%1_([a-z_]+)_watermarked\\.mp4$")
            .arg(QStringLiteral("\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}")));
    const QRegularExpressionMatch match = window.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    return windowName(match.captured(1), first, last, match.captured(2));
}

} // namespace orvane
