#include "MinuteRecord.h"

#include "AcceleratorScale.h"
#include "EventLength.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "TeslaTelemetryReader.h"

#include <exception>

namespace orvane {

QStringList MinuteRecord::candidateFiles(const TeslaVideoFile& video) {
    return EventLength::minuteFiles(video.url);
}

std::pair<std::vector<TeslaTelemetrySample>, QString>
MinuteRecord::firstWithTelemetry(const QStringList& candidates, const FileReader& reader) {
    for (const QString& path : candidates) {
        std::vector<TeslaTelemetrySample> samples;
        try {
            samples = reader(path);
        } catch (const std::exception&) {
            continue; // an unreadable file is a file without telemetry
        }
        if (!samples.empty()) {
            AcceleratorScaling::normalizeToPercent(samples);
            return {std::move(samples), path};
        }
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
