#pragma once

// The part both preview controllers share: one time line over a playlist's steps, its
// observable play state, step lengths, scrubbing and moving on to the next step.
// Lives on the interface thread; fields notify only when they change.

#include "LatestRequest.h"
#include "PreviewEnvironment.h"
#include "VideoSegmentPlaylist.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace orvane {

// What the user must be told about a file on screen: it cannot be read at all (no picture), or
// its pictures stopped short of its end (the last one stays).
struct PlaybackProblem {
    bool unreadable = false;
    double time = 0; // stopped short: the last picture's place on the time line
    QString reason;  // why, in the user's words
    bool operator==(const PlaybackProblem&) const = default;
};

// The players themselves (one for a single view, one per cell for the grid) are the
// subclass's: it opens a step's files, seeks and plays them when asked.
class PreviewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)
    Q_PROPERTY(double currentTime READ currentTime NOTIFY currentTimeChanged)
    Q_PROPERTY(bool isScrubbing READ isScrubbing NOTIFY isScrubbingChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(float playbackRate READ playbackRate WRITE setPlaybackRate NOTIFY playbackRateChanged)
    // What the page tells about playback that could not go on as the time line does, until the
    // user moves (seeks, scrubs, plays past it) or another playlist is shown.
    Q_PROPERTY(Notice notice READ notice NOTIFY noticeChanged)
    Q_PROPERTY(QString noticeText READ noticeText NOTIFY noticeChanged)

public:
    enum class Notice {
        none,
        // A step that cannot be read at all was passed over while playing: playback went on
        // with the next one.
        skippedUnreadable,
        // The pictures of the step ended before its end (the file is cut short or damaged):
        // time and picture stand on the last one; playing goes on with the next step.
        endedEarly,
        // The file went away or its reads were refused (the drive was pulled out): time and
        // picture stand on the last one.
        sourceGone,
    };
    Q_ENUM(Notice)

    // Scrubbing seeks once the pointer has rested this long, landing within the tolerance.
    static constexpr int scrubDelayMilliseconds = 33;
    static constexpr double scrubTolerance = 0.1;
    // Play pressed this close to the end starts again from the beginning.
    static constexpr double endThreshold = 0.05;

    ~PreviewController() override;

    bool isPlaying() const { return isPlaying_; }
    double duration() const { return duration_; }
    double currentTime() const { return currentTime_; }
    bool isScrubbing() const { return isScrubbing_; }
    bool isLoading() const { return isLoading_; }
    float playbackRate() const { return playbackRate_; }
    Notice notice() const { return notice_; }
    QString noticeText() const { return noticeText_; }
    std::optional<QString> loadedPlaylistSignature() const { return loadedPlaylistSignature_; }
    const std::vector<double>& stepDurations() const { return stepDurations_; }
    int currentStepIndex() const { return currentStepIndex_; }

    // Shows `playlist` from `initialTime` seconds after the start of step `startStep`, playing when
    // asked, once that step is measured; the other steps' places on the time line follow once
    // they are measured too. The playlist already shown changes nothing.
    void loadPlaylist(const VideoSegmentPlaylist& playlist, double initialTime, bool resumePlayback,
                      int startStep = 0);
    // Shows step `index` from `localTime` inside it (a minute picked from the list): a step's start
    // is not taken for the end of the step before, as a time on the whole time line would be.
    void seekStep(int index, double localTime, bool resumeIfPlaying);
    Q_INVOKABLE void togglePlayPause();
    Q_INVOKABLE void setPlaybackRate(float rate);
    Q_INVOKABLE void setScrubbing(bool scrubbing);
    Q_INVOKABLE void updateScrubPosition(double time);
    Q_INVOKABLE void finishScrubbing();
    Q_INVOKABLE void stop();

signals:
    void isPlayingChanged();
    void durationChanged();
    void currentTimeChanged();
    void isScrubbingChanged();
    void isLoadingChanged();
    void playbackRateChanged();
    // Another step of the playlist is shown (or the playlist changed).
    void currentStepIndexChanged();
    void noticeChanged();

protected:
    PreviewController(PreviewEnvironment environment, QObject* parent);

    // What the subclass does with its players.
    virtual bool hasItem() const = 0; // something to play
    virtual bool playersPlaying() const = 0;
    virtual void pausePlayers() = 0;
    virtual void playPlayers() = 0;         // at playbackRate, now
    virtual void applyRate(float rate) = 0; // while playing
    virtual void stopObservers() = 0;
    // Opens the step's files at `localTime`, playing once they landed when asked.
    virtual void loadStep(int index, double localTime, bool resumeIfPlaying) = 0;
    // Seeks the current step's players exactly, then plays when asked and runs `completion`.
    virtual void seekInStep(double localTime, bool resumeIfPlaying, std::function<void()> completion) = 0;
    // A quick, approximate seek of the current step's players while scrubbing.
    virtual void scrubInStep(double localTime) = 0;
    // Removes the players' items and observers (stop()).
    virtual void releasePlayers() = 0;
    virtual void playlistWillLoad(const VideoSegmentPlaylist&) {}
    virtual void lastStepEnded() {}
    virtual void nextStepLoading() {}

    // Seeks the time line: opens another step when `time` lies in it.
    void seekTimeline(double time, bool resumeIfPlaying, std::function<void()> completion);
    // A player's time inside the current step, reported while playing.
    void showItemTime(double itemTime);
    // The current step ended: the next one follows, or the time line ends.
    void advanceToNextStep();
    // The pictures ran out at `itemTime` in the current step before it ended: everything
    // stops there, on the last picture, saying why (`gone`: the file went away; `reason`:
    // the player's words). Playing again goes on with the next step.
    void stopShort(double itemTime, bool gone, const QString& reason);
    // Nothing of the current step can be read (`reason`, `gone` as above). While playing (or
    // asked to play), playback goes on with the next step, unless the file went away; paused,
    // it stays, and playing goes on with the next step.
    void stepUnreadable(bool gone, const QString& reason, bool resumeIfPlaying);
    // A new step is being opened: what was said about the previous one no longer holds for it.
    void stepOpening();
    void startPlayback();

    const std::optional<VideoSegmentPlaylist>& playlist() const { return playlist_; }
    void setCurrentStepIndex(int index);
    PreviewEnvironment& environment() { return environment_; }

    void setPlaying(bool value);
    void setCurrentTime(double value);
    void setLoading(bool value);

private:
    // The first step's own length arrived: it is shown at once when `offset` lies inside it.
    void startMeasuredStep(int step, const std::vector<double>& measured, double offset, bool resumePlayback);
    // Every step's length arrived: the step asked for is shown, or the one shown keeps playing.
    void applyStepDurations(std::vector<double> durations, double offset, int startStep, bool resumePlayback);
    void showDuration();
    void previewScrub(double time);
    void cancelScrubTask();
    void setDuration(double value);
    void setScrubbingFlag(bool value);
    // Shows step `index` from its start, playing, after a step that stopped or cannot be read.
    void goOnFrom(int index);
    // The user moved: what was said no longer holds.
    void userMoved();
    void setNotice(Notice notice, const QString& text);

    PreviewEnvironment environment_;
    bool isPlaying_ = false;
    double duration_ = 0;
    double currentTime_ = 0;
    bool isScrubbing_ = false;
    bool isLoading_ = false;
    float playbackRate_ = 1.0f;
    std::optional<QString> loadedPlaylistSignature_;
    // Each playlist loaded is a request: lengths measured for an earlier one are dropped.
    LatestRequest loads_;
    bool wasPlayingBeforeScrub_ = false;
    PreviewEnvironment::Cancel scrubSeekTask_;
    std::optional<VideoSegmentPlaylist> playlist_;
    std::vector<double> stepDurations_;
    bool stepsProvisional_ = false; // only the shown step is measured yet
    int currentStepIndex_ = 0;
    Notice notice_ = Notice::none;
    QString noticeText_;
    bool stoppedShort_ = false;   // the shown step's pictures stopped before its end
    bool stepUnreadable_ = false; // nothing of the shown step can be read
};

} // namespace orvane
