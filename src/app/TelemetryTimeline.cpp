#include "TelemetryTimeline.h"

#include "AcceleratorScale.h"
#include "ObservableField.h"
#include "TeslaTelemetryReader.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent>

#include <exception>

namespace orvane {

namespace {
const QChar keySeparator = QLatin1Char('|');

using Samples = std::vector<TeslaTelemetrySample>;
} // namespace

TelemetryTimeline::TelemetryTimeline(QObject* parent)
    : QObject(parent), reader_([](const QString& path) { return TeslaTelemetryReader::read(path); }) {}

void TelemetryTimeline::setSegmentSource(QObject* source) {
    if (source == sourceObject_)
        return;
    if (sourceObject_)
        disconnect(sourceObject_, &QObject::destroyed, this, nullptr);
    sourceObject_ = source;
    if (source) // by the time this arrives the guard reads null already
        connect(source, &QObject::destroyed, this, [this] {
            emit segmentSourceChanged();
            refresh();
        });
    emit segmentSourceChanged();
    refresh();
}

void TelemetryTimeline::setCurrentTime(double time) {
    if (time == currentTime_)
        return;
    currentTime_ = time;
    emit currentTimeChanged();
    refresh();
}

void TelemetryTimeline::update(double time) {
    if (time != currentTime_) {
        currentTime_ = time;
        emit currentTimeChanged();
    }
    refresh();
}

std::optional<Samples> TelemetryTimeline::cachedSamples(const QString& key) const {
    const auto found = cache_.constFind(key);
    if (found == cache_.constEnd())
        return std::nullopt;
    return *found;
}

void TelemetryTimeline::setFileReader(FileReader reader) { reader_ = std::move(reader); }

QString TelemetryTimeline::segmentKey(const TeslaVideoFile& video) {
    return QFileInfo(video.url).path() + keySeparator + TeslaVideoFile::timestampKey(video.fileName);
}

QStringList TelemetryTimeline::telemetryCandidateURLs(const TeslaVideoFile& video) {
    // The car writes its telemetry into the front camera's stream.
    const QString front = QFileInfo(video.url).dir().filePath(TeslaVideoFile::timestampKey(video.fileName) +
                                                              Camera::fileNameSuffix(CameraAngle::front));
    if (front != video.url && QFileInfo::exists(front))
        return {front, video.url};
    return {video.url};
}

Samples TelemetryTimeline::readFirstTelemetry(const QStringList& candidates, const FileReader& reader) {
    for (const QString& path : candidates) {
        Samples samples;
        try {
            samples = reader(path);
        } catch (const std::exception&) {
            continue; // an unreadable file is a file without telemetry
        }
        if (!samples.empty()) {
            AcceleratorScaling::normalizeToPercent(samples);
            return samples;
        }
    }
    return {};
}

const PlaybackSegmentSource* TelemetryTimeline::source() const {
    return dynamic_cast<const PlaybackSegmentSource*>(sourceObject_.data());
}

void TelemetryTimeline::refresh() {
    const PlaybackSegmentSource* src = source();
    const auto segment = src ? src->playbackSegment(currentTime_) : std::nullopt;
    const QString key = segment ? segmentKey(segment->video) : QString();
    if (key != key_) {
        key_ = key;
        emit telemetrySegmentKeyChanged();
        startLoading(segment);
    }
    publish(segment);
}

// The current minute first, then the following one, as one request: a change of minute
// supersedes both.
void TelemetryTimeline::startLoading(const std::optional<PlaybackSegmentContext>& segment) {
    ++generation_;
    if (segment && requestRead(segment->video))
        prefetchNext();
}

void TelemetryTimeline::prefetchNext() {
    const PlaybackSegmentSource* src = source();
    if (const auto next = src ? src->nextPlaybackSegment(currentTime_) : std::nullopt)
        requestRead(next->video);
}

// True when the minute is already stored. A minute still being read for an older request is
// taken over by this one rather than read twice.
bool TelemetryTimeline::requestRead(const TeslaVideoFile& video) {
    const QString key = segmentKey(video);
    if (cache_.contains(key))
        return true;
    const bool alreadyReading = reading_.contains(key);
    reading_.insert(key, generation_);
    if (alreadyReading)
        return false;
    auto* watcher = new QFutureWatcher<Samples>(this);
    connect(watcher, &QFutureWatcher<Samples>::finished, this, [this, watcher, key] {
        watcher->deleteLater();
        readFinished(key, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(
        [video, reader = reader_] { return readFirstTelemetry(telemetryCandidateURLs(video), reader); }));
    return false;
}

void TelemetryTimeline::readFinished(const QString& key, Samples samples) {
    const quint64 wantedBy = reading_.take(key);
    if (wantedBy != generation_)
        return; // the page moved to another minute meanwhile
    cache_.insert(key, std::move(samples));
    emit segmentCached(key);
    if (key == key_) {
        refresh();
        if (key == key_) // the source may have moved on without telling us
            prefetchNext();
    }
}

void TelemetryTimeline::publish(const std::optional<PlaybackSegmentContext>& segment) {
    const auto cached = cache_.constFind(key_);
    const bool stored = !key_.isEmpty() && cached != cache_.constEnd();
    assignAndNotify(hasTelemetry_, stored && !cached->empty(), this, &TelemetryTimeline::hasTelemetryChanged);

    interpolation_.reset();
    sample_.reset();
    Dashboard next;
    if (segment && stored) {
        const std::span<const TeslaTelemetrySample> samples(*cached);
        interpolation_ = TelemetryInterpolator::interpolate(
            samples, TelemetryInterpolator::progress(segment->localTime, segment->duration));
        if (interpolation_) {
            const TeslaTelemetrySample& s = TelemetryInterpolator::nearestSample(samples, *interpolation_);
            sample_ = s;
            next = {true,
                    qint64(s.gear),
                    s.speedMetersPerSecond,
                    s.accelerator,
                    s.brakeApplied,
                    s.leftBlinker,
                    s.rightBlinker,
                    s.autopilotState ? int(*s.autopilotState) : notRecorded,
                    s.frameSequenceNumber ? qint64(*s.frameSequenceNumber) : notRecorded,
                    TelemetryInterpolator::steeringAngle(samples, *interpolation_)};
        }
    }
    publishDashboard(next);
}

void TelemetryTimeline::publishDashboard(const Dashboard& next) {
    Dashboard& d = dashboard_;
    assignAndNotify(d.hasSample, next.hasSample, this, &TelemetryTimeline::hasSampleChanged);
    assignAndNotify(d.gear, next.gear, this, &TelemetryTimeline::gearChanged);
    assignAndNotify(d.speed, next.speed, this, &TelemetryTimeline::speedMetersPerSecondChanged);
    assignAndNotify(d.accelerator, next.accelerator, this, &TelemetryTimeline::acceleratorPercentChanged);
    assignAndNotify(d.brake, next.brake, this, &TelemetryTimeline::brakeAppliedChanged);
    assignAndNotify(d.leftBlinker, next.leftBlinker, this, &TelemetryTimeline::leftBlinkerChanged);
    assignAndNotify(d.rightBlinker, next.rightBlinker, this, &TelemetryTimeline::rightBlinkerChanged);
    assignAndNotify(d.autopilotState, next.autopilotState, this, &TelemetryTimeline::autopilotStateChanged);
    assignAndNotify(d.frameSequenceNumber, next.frameSequenceNumber, this,
                    &TelemetryTimeline::frameSequenceNumberChanged);
    assignAndNotify(d.steering, next.steering, this, &TelemetryTimeline::steeringAngleChanged);
}

} // namespace orvane
