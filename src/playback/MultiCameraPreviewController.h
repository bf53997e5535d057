#pragma once

#include "PreviewEnvironment.h"
#include "VideoSegmentPlaylist.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <map>
#include <memory>
#include <optional>

class QVideoSink;

namespace orvane {

// One cell of the 2 × 2 grid.
struct CameraSlot {
    CameraAngle angle = CameraAngle::front;
    std::optional<TeslaVideoFile> video;
    std::shared_ptr<media::AbstractMediaPlayer> player; // absent without a video
    bool isLoading = false;
};

// Plays the cameras of one minute side by side, one player per cell, on one time line:
// every seek lands in all cells before playback (re)starts, so the cells run in step.
// Lives on the interface thread; fields notify only when they change.
class MultiCameraPreviewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)
    Q_PROPERTY(double currentTime READ currentTime NOTIFY currentTimeChanged)
    Q_PROPERTY(bool isScrubbing READ isScrubbing NOTIFY isScrubbingChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(float playbackRate READ playbackRate WRITE setPlaybackRate NOTIFY playbackRateChanged)

public:
    static constexpr std::array<CameraAngle, 4> gridOrder = Camera::gridOrder;

    explicit MultiCameraPreviewController(QObject* parent = nullptr);
    explicit MultiCameraPreviewController(PreviewEnvironment environment, QObject* parent = nullptr);
    ~MultiCameraPreviewController() override;

    // Each camera's newest file (files without a camera are ignored).
    static std::map<CameraAngle, TeslaVideoFile> videosByAngle(const std::vector<TeslaVideoFile>& videos);
    // The grid's files in grid order: the focus file's minute, else the minute with the most
    // cameras (the later one on a tie).
    static std::vector<TeslaVideoFile> videosForGrid(const std::vector<TeslaVideoFile>& videos,
                                                     const std::optional<TeslaVideoFile>& focus);

    bool isPlaying() const { return isPlaying_; }
    double duration() const { return duration_; }
    double currentTime() const { return currentTime_; }
    bool isScrubbing() const { return isScrubbing_; }
    bool isLoading() const { return isLoading_; }
    float playbackRate() const { return playbackRate_; }
    const std::vector<CameraSlot>& cameraSlots() const { return slots_; }
    std::optional<QString> loadedPlaylistSignature() const { return loadedPlaylistSignature_; }
    int currentStepIndex() const { return currentStepIndex_; }
    int expectedLoadCount() const { return expectedLoadCount_; }
    media::AbstractMediaPlayer* masterPlayer() const { return masterPlayer_; }
    // The sink of grid cell `cell` (0 … 3); kept across steps.
    Q_INVOKABLE void setVideoSink(int cell, QVideoSink* sink);

    void loadPlaylist(const VideoSegmentPlaylist& playlist, double initialTime, bool resumePlayback);
    Q_INVOKABLE void togglePlayPause();
    Q_INVOKABLE void setPlaybackRate(float rate);
    Q_INVOKABLE void setScrubbing(bool scrubbing);
    Q_INVOKABLE void updateScrubPosition(double time);
    Q_INVOKABLE void finishScrubbing();
    void seekAll(double time, bool resumeIfPlaying, std::function<void()> completion = {});
    Q_INVOKABLE void stop();

signals:
    void isPlayingChanged();
    void durationChanged();
    void currentTimeChanged();
    void isScrubbingChanged();
    void isLoadingChanged();
    void playbackRateChanged();
    void cameraSlotsChanged();

private:
    void loadStep(int index, double localTime, bool resumeIfPlaying);
    void markSlotLoaded(int index, double localTime, bool resumeIfPlaying);
    void seekCells(double localTime, bool resumeIfPlaying, std::function<void()> completion);
    void previewScrubAll(double time);
    void pauseAll();
    void playAll();
    void setupTimeObserver();
    void advanceToNextStep();
    void stopObservers();
    void cancelScrubTask();
    static std::vector<CameraSlot> emptySlots();

    void setPlaying(bool value);
    void setDuration(double value);
    void setCurrentTime(double value);
    void setScrubbingFlag(bool value);
    void setLoading(bool value);

    PreviewEnvironment environment_;
    std::vector<CameraSlot> slots_ = emptySlots();
    bool isPlaying_ = false;
    double duration_ = 0;
    double currentTime_ = 0;
    bool isScrubbing_ = false;
    bool isLoading_ = false;
    PreviewEnvironment::Cancel scrubSeekTask_;
    float playbackRate_ = 1.0f;
    std::optional<QString> loadedPlaylistSignature_;
    bool wasPlayingBeforeScrub_ = false;
    QMetaObject::Connection timeObserver_;
    std::vector<QMetaObject::Connection> statusObservers_;
    std::vector<QMetaObject::Connection> endObservers_;
    media::AbstractMediaPlayer* masterPlayer_ = nullptr;
    std::optional<VideoSegmentPlaylist> playlist_;
    std::vector<double> stepDurations_;
    int currentStepIndex_ = 0;
    int expectedLoadCount_ = 0;
    std::array<QPointer<QVideoSink>, 4> sinks_;
};

} // namespace orvane
