#pragma once

// Plays a playlist of single files with one player as one continuous video: one time line,
// seeking and scrubbing across file boundaries, and continuing into the next file.
// Lives on the interface thread; fields notify only when they change.

#include "PreviewController.h"

#include <QString>
#include <QUuid>
#include <memory>
#include <optional>

class QVideoSink;

namespace orvane {

class VideoPreviewController : public PreviewController {
    Q_OBJECT
    Q_PROPERTY(QString loadedVideoID READ loadedVideoIDText NOTIFY loadedVideoIDChanged)

public:
    explicit VideoPreviewController(QObject* parent = nullptr);
    explicit VideoPreviewController(PreviewEnvironment environment, QObject* parent = nullptr);
    ~VideoPreviewController() override;

    std::optional<QUuid> loadedVideoID() const { return loadedVideoID_; }
    // The file on screen cannot be read, or its pictures stopped short.
    const std::optional<PlaybackProblem>& problem() const { return problem_; }
    QString loadedVideoIDText() const {
        return loadedVideoID_ ? loadedVideoID_->toString(QUuid::WithoutBraces) : QString();
    }
    media::AbstractMediaPlayer* player() const { return player_.get(); }
    void setVideoSink(QVideoSink* sink);
    // The width in device pixels the picture is shown at; playing pictures are reduced to it.
    Q_INVOKABLE void setShownWidth(int pixels);

    void seek(double time, bool resumeIfPlaying, std::function<void()> completion = {});
    Q_INVOKABLE void seek(double time) { seek(time, false); }

signals:
    void loadedVideoIDChanged();
    void problemChanged();

private:
    bool hasItem() const override;
    bool playersPlaying() const override;
    void pausePlayers() override;
    void playPlayers() override;
    void applyRate(float rate) override;
    void stopObservers() override;
    void loadStep(int index, double localTime, bool resumeIfPlaying) override;
    void seekInStep(double localTime, bool resumeIfPlaying, std::function<void()> completion) override;
    void scrubInStep(double localTime) override;
    void releasePlayers() override;
    void playlistWillLoad(const VideoSegmentPlaylist& playlist) override;

    void setupTimeObserver();
    void setupEndObserver();
    void setLoadedVideoID(std::optional<QUuid> value);
    void setProblem(std::optional<PlaybackProblem> value);

    std::unique_ptr<media::AbstractMediaPlayer> player_;
    std::optional<QUuid> loadedVideoID_;
    QMetaObject::Connection timeObserver_;
    QMetaObject::Connection statusObserver_;
    QMetaObject::Connection endObserver_;
    QMetaObject::Connection stopShortObserver_;
    std::optional<PlaybackProblem> problem_;
};

} // namespace orvane
