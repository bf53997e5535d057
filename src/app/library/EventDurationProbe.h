#pragma once
// The total length of an event for a card's duration badge, measured off the interface thread
// from the card's thumbnail source and remembered for the process. Interface thread (a QML object).

#include "LatestRequest.h"
#include "TeslaClipEvent.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <optional>

namespace orvane {

class EventDurationProbe : public QObject {
    Q_OBJECT
    QML_ELEMENT
    // An "image://eventthumb/…" address (EventThumbnailSource::url).
    Q_PROPERTY(QString source READ source WRITE setSource NOTIFY sourceChanged)
    // Seconds; 0 until measured, and for an event whose files cannot be measured.
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)

public:
    explicit EventDurationProbe(QObject* parent = nullptr);
    ~EventDurationProbe() override;

    QString source() const { return source_; }
    void setSource(const QString& source);
    double duration() const { return duration_; }

    // How an event's length is measured, on the probes' own thread: the thumbnail loader's rule
    // unless a test replaces it (interface thread, while no probe measures).
    using Measure = std::function<std::optional<double>(const TeslaClipEvent&)>;
    static void setMeasure(Measure measure);
    // Forgets every measured length (tests).
    static void clearCache();

signals:
    void sourceChanged();
    void durationChanged();

private:
    void setDuration(double value);

    QString source_;
    double duration_ = 0;
    LatestRequest probe_;
};

} // namespace orvane
