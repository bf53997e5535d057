#include "MinuteRecord.h"

#include "AcceleratorScale.h"
#include "EventLength.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "TeslaTelemetryReader.h"

#include <QFileInfo>
#include <exception>

namespace orvane {

namespace {

bool isFrontFile(const QString& path) {
    const auto suffix = Camera::matchSuffix(QFileInfo(path).fileName());
    return suffix && suffix->camera == CameraAngle::front;
}

} // namespace

QStringList MinuteRecord::candidateFiles(const TeslaVideoFile& video) {
    QStringList files = EventLength::minuteFiles(video.url); // the front camera's first
    files.removeOne(video.url);
    files.insert(!files.isEmpty() && isFrontFile(files.front()) ? 1 : 0, video.url);
    return files;
}

std::pair<std::vector<TeslaTelemetrySample>, QString>
MinuteRecord::firstWithTelemetry(const QStringList& candidates, const FileReader& reader) {
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        std::vector<TeslaTelemetrySample> samples;
        try {
            samples = reader(candidates[i]);
        } catch (const std::exception&) {
            continue; // the file cannot be read: another camera's of the minute carries the record
        }
        if (!samples.empty()) {
            AcceleratorScaling::normalizeToPercent(samples);
            return {std::move(samples), candidates[i]};
        }
        // Read whole without a record: the minute has none (each camera carries the same), but
        // the front file's leaves the turn to the one that follows it.
        if (i > 0 || !isFrontFile(candidates[i]))
            break;
    }
    return {};
}

MinuteRecord MinuteRecord::read(const TeslaVideoFile& video, const FileReader& reader) {
    auto [samples, path] = firstWithTelemetry(candidateFiles(video), reader);
    MinuteRecord minute{std::move(samples), {}, path};
    if (!path.isEmpty()) {
        try {
            minute.frameTimes = media::MediaProbe::frameTimes(path);
        } catch (const media::MediaError&) {
            // the records are then spread evenly over the minute
        }
    }
    return minute;
}

MinuteRecord MinuteRecord::read(const TeslaVideoFile& video) {
    return read(video, [](const QString& path) { return TeslaTelemetryReader::read(path); });
}

} // namespace orvane
