#pragma once

#include "PreviewEnvironment.h"
#include "VideoSegmentPlaylist.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

class QVideoSink;

namespace orvane {

// Plays a playlist of single files with one player as one continuous video: one time line,
// seeking and scrubbing across file boundaries, and continuing into the next file.
// Lives on the interface thread; fields notify only when they change.
class VideoPreviewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)
    Q_PROPERTY(double currentTime READ currentTime NOTIFY currentTimeChanged)
    Q_PROPERTY(bool isScrubbing READ isScrubbing NOTIFY isScrubbingChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(float playbackRate READ playbackRate WRITE setPlaybackRate NOTIFY playbackRateChanged)
    Q_PROPERTY(QString loadedVideoID READ loadedVideoIDText NOTIFY loadedVideoIDChanged)

public:
    explicit VideoPreviewController(QObject* parent = nullptr);
    explicit VideoPreviewController(PreviewEnvironment environment, QObject* parent = nullptr);
    ~VideoPreviewController() override;

    bool isPlaying() const { return isPlaying_; }
    double duration() const { return duration_; }
    double currentTime() const { return currentTime_; }
    bool isScrubbing() const { return isScrubbing_; }
    bool isLoading() const { return isLoading_; }
    float playbackRate() const { return playbackRate_; }
    std::optional<QUuid> loadedVideoID() const { return loadedVideoID_; }
    QString loadedVideoIDText() const { return loadedVideoID_ ? loadedVideoID_->toString(QUuid::WithoutBraces) : QString(); }
    std::optional<QString> loadedPlaylistSignature() const { return loadedPlaylistSignature_; }
    const std::vector<double>& stepDurations() const { return stepDurations_; }
    int currentStepIndex() const { return currentStepIndex_; }
    media::AbstractMediaPlayer* player() const { return player_.get(); }
    void setVideoSink(QVideoSink* sink);

    void loadPlaylist(const VideoSegmentPlaylist& playlist, double initialTime, bool resumePlayback);
    Q_INVOKABLE void togglePlayPause();
    Q_INVOKABLE void setPlaybackRate(float rate);
    Q_INVOKABLE void setScrubbing(bool scrubbing);
    Q_INVOKABLE void updateScrubPosition(double time);
    Q_INVOKABLE void finishScrubbing();
    void seek(double time, bool resumeIfPlaying, std::function<void()> completion = {});
    Q_INVOKABLE void seek(double time) { seek(time, false); }
    Q_INVOKABLE void stop();

    static constexpr int scrubDelayMilliseconds = 33;
    static constexpr double scrubTolerance = 0.1;
    static constexpr double endThreshold = 0.05;

signals:
    void isPlayingChanged();
    void durationChanged();
    void currentTimeChanged();
    void isScrubbingChanged();
    void isLoadingChanged();
    void playbackRateChanged();
    void loadedVideoIDChanged();

private:
    void stopObservers();
    void loadStep(int index, double localTime, bool resumeIfPlaying);
    void seekCurrentStep(double localTime, bool resumeIfPlaying, std::function<void()> completion);
    void previewScrub(double time);
    void setupTimeObserver();
    void setupEndObserver();
    void advanceToNextStep();
    void startPlayback();
    void cancelScrubTask();

    void setPlaying(bool value);
    void setDuration(double value);
    void setCurrentTime(double value);
    void setScrubbingFlag(bool value);
    void setLoading(bool value);
    void setLoadedVideoID(std::optional<QUuid> value);

    PreviewEnvironment environment_;
    std::unique_ptr<media::AbstractMediaPlayer> player_;
    bool isPlaying_ = false;
    double duration_ = 0;
    double currentTime_ = 0;
    bool isScrubbing_ = false;
    bool isLoading_ = false;
    float playbackRate_ = 1.0f;
    std::optional<QUuid> loadedVideoID_;
    std::optional<QString> loadedPlaylistSignature_;
    bool wasPlayingBeforeScrub_ = false;
    QMetaObject::Connection timeObserver_;
    QMetaObject::Connection statusObserver_;
    QMetaObject::Connection endObserver_;
    PreviewEnvironment::Cancel scrubSeekTask_;
    std::optional<VideoSegmentPlaylist> playlist_;
    std::vector<double> stepDurations_;
    int currentStepIndex_ = 0;
};

} // namespace orvane
