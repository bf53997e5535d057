#include "DrivingRecordExport.h"

#include "FileDelivery.h"
#include "MediaProbe.h"
#include "TelemetryCsv.h"
#include "TeslaTelemetryReader.h"
#include "UserFacingError.h"

#include <QCoreApplication>
#include <cmath>

namespace orvane::DrivingRecordExport {

namespace {
constexpr double millisecondsPerSecond = 1000;
} // namespace

QString frameTimeText(Instant instant) {
    double whole = std::floor(instant);
    long long millis = std::llround((instant - whole) * millisecondsPerSecond);
    if (millis >= 1000) { // rounded up into the next second
        whole += 1;
        millis = 0;
    }
    return LocalTime::format(whole, QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral(".%1").arg(millis, 3, 10, QLatin1Char('0'));
}

QString table(const std::vector<std::pair<TeslaVideoFile, MinuteRecord>>& minutes) {
    std::vector<TeslaTelemetrySample> samples;
    QStringList times;
    for (const auto& [video, record] : minutes)
        for (size_t i = 0; i < record.samples.size(); ++i) {
            const double offset =
                i < record.frameTimes.size() ? record.frameTimes[i] : double(i) / media::cameraFrameRate;
            samples.push_back(record.samples[i]);
            times << frameTimeText(video.startTime + offset);
        }
    return TelemetryCsv::table(samples, timeColumn, times);
}

QString write(const std::vector<TeslaVideoFile>& minutes, const QString& folder, const QString& fileName,
              const MinuteRecord::FileReader& reader) {
    const MinuteRecord::FileReader read =
        reader ? reader : [](const QString& path) { return TeslaTelemetryReader::read(path); };
    std::vector<std::pair<TeslaVideoFile, MinuteRecord>> records;
    bool any = false;
    for (const TeslaVideoFile& video : minutes) {
        records.emplace_back(video, MinuteRecord::read(video, read));
        any = any || !records.back().second.samples.empty();
    }
    if (!any)
        throw UserFacingError(QCoreApplication::translate("DrivingRecordExport", "这段录像没有行车数据"));
    return FileDelivery::writeToFreeName(table(records).toUtf8(), folder, fileName);
}

} // namespace orvane::DrivingRecordExport
