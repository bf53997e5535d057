#pragma once
// The dashboard's data for a preview page: reads each minute's telemetry in the background,
// keeps it for the page's life and picks the record for the frame on screen. Interface thread only.

#include "PlaybackSegmentSource.h"
#include "TelemetryInterpolation.h"
#include "TeslaTelemetrySample.h"
#include "TeslaVideoFile.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>
#include <vector>

namespace orvane {

// A page owns one (in QML: `TelemetryTimeline { segmentSource: viewModel; currentTime: player.time }`)
// and feeds it the playback time; the cache starts empty with every page. A minute is read at
// most once per page, except that a read overtaken by a move to another minute stores nothing
// and is read again when that minute becomes current again.
class TelemetryTimeline : public QObject {
    Q_OBJECT
    QML_ELEMENT
    // Any QObject that also implements PlaybackSegmentSource; others count as no source.
    Q_PROPERTY(QObject* segmentSource READ segmentSource WRITE setSegmentSource NOTIFY segmentSourceChanged)
    // The preview's global playback time in seconds.
    Q_PROPERTY(double currentTime READ currentTime WRITE setCurrentTime NOTIFY currentTimeChanged)
    // Folder + "|" + timestamp key of the file on screen; empty when nothing resolves.
    Q_PROPERTY(QString telemetrySegmentKey READ telemetrySegmentKey NOTIFY telemetrySegmentKeyChanged)
    // The current minute's telemetry is read and not empty (false while it is being read).
    Q_PROPERTY(bool hasTelemetry READ hasTelemetry NOTIFY hasTelemetryChanged)
    // A record is shown; the fields below keep their defaults without one.
    Q_PROPERTY(bool hasSample READ hasSample NOTIFY hasSampleChanged)
    Q_PROPERTY(qint64 gear READ gear NOTIFY gearChanged)
    Q_PROPERTY(double speedMetersPerSecond READ speedMetersPerSecond NOTIFY speedMetersPerSecondChanged)
    Q_PROPERTY(double acceleratorPercent READ acceleratorPercent NOTIFY acceleratorPercentChanged)
    Q_PROPERTY(bool brakeApplied READ brakeApplied NOTIFY brakeAppliedChanged)
    Q_PROPERTY(bool leftBlinker READ leftBlinker NOTIFY leftBlinkerChanged)
    Q_PROPERTY(bool rightBlinker READ rightBlinker NOTIFY rightBlinkerChanged)
    Q_PROPERTY(int autopilotState READ autopilotState NOTIFY autopilotStateChanged) // notRecorded: none
    Q_PROPERTY(qint64 frameSequenceNumber READ frameSequenceNumber NOTIFY frameSequenceNumberChanged) // notRecorded: none
    // Degrees, interpolated between the two records around the frame; 0 without a record.
    Q_PROPERTY(double steeringAngle READ steeringAngle NOTIFY steeringAngleChanged)

public:
    // Reads every sample of one file; must be safe to call from any thread.
    using FileReader = std::function<std::vector<TeslaTelemetrySample>(const QString& path)>;
    // The value of an optional field the record lacks.
    static constexpr int notRecorded = -1;

    explicit TelemetryTimeline(QObject* parent = nullptr);

    QObject* segmentSource() const { return sourceObject_; }
    void setSegmentSource(QObject* source);
    double currentTime() const { return currentTime_; }
    void setCurrentTime(double time);
    // Resolves `time` again even when it is unchanged (for example after the source loaded
    // another event while paused).
    Q_INVOKABLE void update(double time);

    QString telemetrySegmentKey() const { return key_; }
    bool hasTelemetry() const { return hasTelemetry_; }
    bool hasSample() const { return dashboard_.hasSample; }
    qint64 gear() const { return dashboard_.gear; }
    double speedMetersPerSecond() const { return dashboard_.speed; }
    double acceleratorPercent() const { return dashboard_.accelerator; }
    bool brakeApplied() const { return dashboard_.brake; }
    bool leftBlinker() const { return dashboard_.leftBlinker; }
    bool rightBlinker() const { return dashboard_.rightBlinker; }
    int autopilotState() const { return dashboard_.autopilotState; }
    qint64 frameSequenceNumber() const { return dashboard_.frameSequenceNumber; }
    double steeringAngle() const { return dashboard_.steering; }

    // The record on screen and the position between records, for C++ callers.
    std::optional<TeslaTelemetrySample> currentSample() const { return sample_; }
    std::optional<TelemetryInterpolation> interpolation() const { return interpolation_; }
    // What the page has stored for a minute; none when it was never read (an empty list means
    // the minute has no telemetry).
    std::optional<std::vector<TeslaTelemetrySample>> cachedSamples(const QString& key) const;

    // Replaces the file reader (tests count and hold reads with it).
    void setFileReader(FileReader reader);

    // The cache key of a file: its folder + "|" + its minute's timestamp key.
    static QString segmentKey(const TeslaVideoFile& video);
    // The files to read for a video: the front file of its minute beside it first when it
    // exists, then the file itself. Touches the disk: call it off the interface thread.
    static QStringList telemetryCandidateURLs(const TeslaVideoFile& video);
    // The first non-empty telemetry among the candidates, its pedal on the percent scale; a
    // file that fails counts as empty. Blocks.
    static std::vector<TeslaTelemetrySample> readFirstTelemetry(const QStringList& candidates, const FileReader& reader);

signals:
    void segmentSourceChanged();
    void currentTimeChanged();
    void telemetrySegmentKeyChanged();
    void hasTelemetryChanged();
    void hasSampleChanged();
    void gearChanged();
    void speedMetersPerSecondChanged();
    void acceleratorPercentChanged();
    void brakeAppliedChanged();
    void leftBlinkerChanged();
    void rightBlinkerChanged();
    void autopilotStateChanged();
    void frameSequenceNumberChanged();
    void steeringAngleChanged();
    // A minute's samples were stored (the current one or a prefetched one).
    void segmentCached(const QString& key);

private:
    struct Dashboard {
        bool hasSample = false;
        qint64 gear = 0;
        double speed = 0;
        double accelerator = 0;
        bool brake = false;
        bool leftBlinker = false;
        bool rightBlinker = false;
        int autopilotState = notRecorded;
        qint64 frameSequenceNumber = notRecorded;
        double steering = 0;
    };

    const PlaybackSegmentSource* source() const;
    void refresh();
    void startLoading(const std::optional<PlaybackSegmentContext>& segment);
    void prefetchNext();
    bool requestRead(const TeslaVideoFile& video);
    void readFinished(const QString& key, std::vector<TeslaTelemetrySample> samples);
    void publish(const std::optional<PlaybackSegmentContext>& segment);
    void publishDashboard(const Dashboard& next);

    QPointer<QObject> sourceObject_;
    double currentTime_ = 0;
    QString key_;
    QHash<QString, std::vector<TeslaTelemetrySample>> cache_;
    // Minutes being read, with the generation that wants the result.
    QHash<QString, quint64> reading_;
    // Moves on with every change of the current minute; older reads store nothing.
    quint64 generation_ = 0;
    FileReader reader_;

    bool hasTelemetry_ = false;
    std::optional<TeslaTelemetrySample> sample_;
    std::optional<TelemetryInterpolation> interpolation_;
    Dashboard dashboard_;
};

} // namespace orvane
