#pragma once
// The dashboard's data for a preview page: reads each minute's telemetry in the background,
// keeps it for the page's life and picks the record for the frame on screen. Interface thread only.

#include "LatestRequest.h"
#include "MinuteRecord.h"
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

// A preview page owns one and feeds it the playback time; the cache starts empty with every page.
// A minute is read at most once per page, except that a read overtaken by a move to another
// minute stores nothing and is read again when that minute becomes current again.
class TelemetryTimeline : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A preview page owns its timeline")
    // The current minute's telemetry is read and not empty (false while it is being read).
    Q_PROPERTY(bool hasTelemetry READ hasTelemetry NOTIFY hasTelemetryChanged)

public:
    // Reads every sample of one file; must be safe to call from any thread.
    using FileReader = MinuteRecord::FileReader;

    explicit TelemetryTimeline(QObject* parent = nullptr);

    // What resolves a playback time to a file; none (or one destroyed since) shows nothing.
    PlaybackSegmentSource* segmentSource() const { return source_; }
    void setSegmentSource(PlaybackSegmentSource* source);
    // The preview's global playback time in seconds.
    double currentTime() const { return currentTime_; }
    void setCurrentTime(double time);
    // Resolves `time` again even when it is unchanged (for example after the source loaded
    // another event while paused).
    void update(double time);

    // Folder + "|" + timestamp key of the file on screen; empty when nothing resolves.
    QString telemetrySegmentKey() const { return key_; }
    bool hasTelemetry() const { return hasTelemetry_; }
    // Degrees, interpolated between the two records around the frame; none without a record.
    std::optional<double> steeringAngle() const { return steering_; }
    // The record on screen and the position between records, for C++ callers.
    std::optional<TeslaTelemetrySample> currentSample() const { return sample_; }
    std::optional<TelemetryInterpolation> interpolation() const { return interpolation_; }
    // What the page has stored for a minute; none when it was never read (an empty list means
    // the minute has no telemetry).
    std::optional<std::vector<TeslaTelemetrySample>> cachedSamples(const QString& key) const;

    // Forgets every minute read (their files read differently now, say once unlocked).
    void forgetRecords();
    // Replaces the file reader (tests count and hold reads with it).
    void setFileReader(FileReader reader);

    // The cache key of a file: its folder + "|" + its minute's timestamp key.
    static QString segmentKey(const TeslaVideoFile& video);

signals:
    void segmentSourceChanged();
    void telemetrySegmentKeyChanged();
    void hasTelemetryChanged();
    // The record shown or the interpolated steering angle changed.
    void sampleChanged();
    // A minute's samples were stored (the current one or a prefetched one).
    void segmentCached(const QString& key);

private:
    // A minute's records and the frame times of the file that holds them (record i belongs
    // to frame i).
    struct MinuteTelemetry {
        std::vector<TeslaTelemetrySample> samples;
        std::vector<double> frameTimes;
    };

    void refresh();
    void startLoading(const std::optional<PlaybackSegmentContext>& segment);
    void prefetchNext();
    bool requestRead(const TeslaVideoFile& video);
    void readFinished(const QString& key, MinuteTelemetry minute);
    void publish(const std::optional<PlaybackSegmentContext>& segment);

    QPointer<PlaybackSegmentSource> source_;
    double currentTime_ = 0;
    QString key_;
    QHash<QString, std::vector<TeslaTelemetrySample>> cache_;
    QHash<QString, std::vector<double>> frameTimes_; // by the same keys
    // Minutes being read, with the request that wants the result: every change of the current
    // minute starts a new one, and older reads store nothing.
    QHash<QString, LatestRequest::Ticket> reading_;
    LatestRequest minute_;
    FileReader reader_;

    bool hasTelemetry_ = false;
    std::optional<TeslaTelemetrySample> sample_;
    std::optional<TelemetryInterpolation> interpolation_;
    std::optional<double> steering_;
};

} // namespace orvane
