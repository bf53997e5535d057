#include "TelemetryTimeline.h"

#include "AppPools.h"
#include "LatestRequest.h"
#include "MinuteRecord.h"
#include "ObservableField.h"
#include "RegularFile.h"
#include "TeslaTelemetryReader.h"

#include <QFileInfo>

namespace orvane {

namespace {
const QChar keySeparator = QLatin1Char('|');

using Samples = std::vector<TeslaTelemetrySample>;
} // namespace

TelemetryTimeline::TelemetryTimeline(QObject* parent)
    : QObject(parent), reader_([](const QString& path) { return TeslaTelemetryReader::read(path); }) {}

void TelemetryTimeline::setSegmentSource(PlaybackSegmentSource* source) {
    if (source == source_)
        return;
    if (source_)
        disconnect(source_, &QObject::destroyed, this, nullptr);
    source_ = source;
    if (source) // by the time this arrives the guard reads null already
        connect(source, &QObject::destroyed, this, [this] {
            emit segmentSourceChanged();
            refresh();
        });
    emit segmentSourceChanged();
    refresh();
}

void TelemetryTimeline::forgetRecords() {
    cache_.clear();
    refresh();
}

void TelemetryTimeline::setCurrentTime(double time) {
    if (time == currentTime_)
        return;
    currentTime_ = time;
    refresh();
}

void TelemetryTimeline::update(double time) {
    currentTime_ = time;
    refresh();
}

std::optional<Samples> TelemetryTimeline::cachedSamples(const QString& key) const {
    const auto found = cache_.constFind(key);
    if (found == cache_.constEnd())
        return std::nullopt;
    return *found;
}

void TelemetryTimeline::setFileReader(FileReader reader) {
    reader_ = std::move(reader);
}

QString TelemetryTimeline::segmentKey(const TeslaVideoFile& video) {
    return QFileInfo(video.url).path() + keySeparator + TeslaVideoFile::timestampKey(video.fileName);
}

void TelemetryTimeline::refresh() {
    const auto segment = source_ ? source_->playbackSegment(currentTime_) : std::nullopt;
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
    minute_.supersede();
    if (segment && requestRead(segment->video))
        prefetchNext();
}

void TelemetryTimeline::prefetchNext() {
    if (const auto next = source_ ? source_->nextPlaybackSegment(currentTime_) : std::nullopt)
        requestRead(next->video);
}

// True when the minute is already stored. A minute still being read for an older request is
// taken over by this one rather than read twice.
bool TelemetryTimeline::requestRead(const TeslaVideoFile& video) {
    const QString key = segmentKey(video);
    if (cache_.contains(key))
        return true;
    const bool alreadyReading = reading_.contains(key);
    reading_.insert(key, minute_.current());
    if (alreadyReading)
        return false;
    runInBackground(
        AppPools::files(), this,
        [video, reader = reader_] {
            MinuteRecord record = MinuteRecord::read(video, reader);
            return MinuteTelemetry{std::move(record.samples), std::move(record.frameTimes)};
        },
        [this, key](MinuteTelemetry minute) { readFinished(key, std::move(minute)); });
    return false;
}

void TelemetryTimeline::readFinished(const QString& key, MinuteTelemetry minute) {
    if (!minute_.isLatest(reading_.take(key)))
        return; // the page moved to another minute meanwhile
    cache_.insert(key, std::move(minute.samples));
    frameTimes_.insert(key, std::move(minute.frameTimes));
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

    std::optional<TeslaTelemetrySample> sample;
    std::optional<TelemetryInterpolation> interpolation;
    std::optional<double> steering;
    if (segment && stored) {
        if (const auto shown = TelemetryInterpolator::shownRecord(*cached, frameTimes_[key_],
                                                                  segment->localTime, segment->duration)) {
            interpolation = shown->at;
            sample = shown->sample;
            steering = shown->steeringAngle;
        }
    }
    interpolation_ = interpolation;
    if (sample == sample_ && steering == steering_)
        return;
    sample_ = sample;
    steering_ = steering;
    emit sampleChanged();
}

} // namespace orvane
