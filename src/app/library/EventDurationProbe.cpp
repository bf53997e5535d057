#include "EventDurationProbe.h"

#include "EventThumbnailLoader.h"
#include "EventThumbnailSource.h"

#include <QCache>
#include <QThreadPool>
#include <optional>

namespace orvane {

namespace {

// Lengths of the events seen in this process (interface thread only).
constexpr int cachedEvents = 4096;
QCache<QString, double>& cache() {
    static QCache<QString, double> lengths(cachedEvents);
    return lengths;
}

// One measuring thread: it reads one file header per minute, and a slow stick prefers one reader.
QThreadPool& pool() {
    static QThreadPool* threads = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        return p;
    }();
    return *threads;
}

EventDurationProbe::Measure& measure() {
    static EventDurationProbe::Measure rule = EventThumbnailLoader::duration;
    return rule;
}

} // namespace

EventDurationProbe::EventDurationProbe(QObject* parent) : QObject(parent) {}

EventDurationProbe::~EventDurationProbe() = default;

void EventDurationProbe::setMeasure(Measure rule) {
    measure() = rule ? std::move(rule) : Measure(EventThumbnailLoader::duration);
}

void EventDurationProbe::clearCache() {
    cache().clear();
}

void EventDurationProbe::setSource(const QString& source) {
    if (source == source_)
        return;
    source_ = source;
    emit sourceChanged();
    probe_.supersede();
    if (const double* known = cache().object(source)) {
        setDuration(*known);
        return;
    }
    setDuration(0);
    const std::optional<TeslaClipEvent> event = EventThumbnailSource::parse(source);
    if (!event)
        return;
    // A card scrolled away or given another event skips the reads still queued for it.
    probe_.run(
        &pool(), this,
        [event = *event, rule = measure()](const CancellationToken& token) -> std::optional<double> {
            if (token.isCancelled())
                return std::nullopt;
            return rule(event);
        },
        [this, source](std::optional<double> seconds) {
            if (!seconds)
                return;
            cache().insert(source, new double(*seconds));
            setDuration(*seconds);
        });
}

void EventDurationProbe::setDuration(double value) {
    if (value == duration_)
        return;
    duration_ = value;
    emit durationChanged();
}

} // namespace orvane
