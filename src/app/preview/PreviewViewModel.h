#pragma once
// The event open in the preview: its files, the minute and file shown, the camera filter and
// the two players it feeds (one camera, the grid), and the export range on their time line.
// Interface thread only; loading an event's files runs on the application's file pool, and a
// load that a newer one superseded is dropped.

#include "ClipSource.h"
#include "ExportSettings.h"
#include "LatestRequest.h"
#include "PlaybackSegmentSource.h"
#include "PlaybackTypes.h"
#include "PreviewServices.h"
#include "TeslaClipEvent.h"
#include "VideoGroupListModel.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QUuid>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <vector>

namespace orvane {

class AppMessages;
class TileLoader;
class LibraryViewModel;

// Where the preview takes up again after the open event's files are (re)loaded.
struct PlaybackResume {
    double time = 0;
    bool playing = false;
    std::optional<float> rate;
    // The players keep what they show until the new files are there (a camera change).
    bool keepPlayers = false;
    // The file to show when the minute has it (the grid's focus).
    std::optional<QString> preferredVideoURL;
};

// What the range buttons tell the user.
struct RangeFeedback {
    QString message;
    bool isError = false;
};

class PreviewViewModel : public PlaybackSegmentSource {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application's MainViewModel owns the preview")
    // Raw values: "all" (the grid) or a camera ("front" …).
    Q_PROPERTY(QString cameraFilter READ cameraFilter NOTIFY cameraFilterChanged)
    // The dashboard's speed unit: "kmh" or "mph".
    Q_PROPERTY(QString speedUnit READ speedUnit WRITE setSpeedUnit NOTIFY speedUnitChanged)
    // The route map beside the picture is open (kept between launches).
    Q_PROPERTY(bool mapShown READ mapShown WRITE setMapShown NOTIFY mapShownChanged)
    // The open event's minutes.
    Q_PROPERTY(orvane::VideoGroupListModel* videoGroups READ videoGroups CONSTANT)
    Q_PROPERTY(orvane::VideoPreviewController* videoPreview READ videoPreview CONSTANT)
    Q_PROPERTY(orvane::MultiCameraPreviewController* multiCameraPreview READ multiCameraPreview CONSTANT)
    // The player the camera filter shows.
    Q_PROPERTY(orvane::PreviewController* activePreview READ activePreview NOTIFY cameraFilterChanged)
    // "Around the event": seconds exported before and after the moment the car saved it.
    Q_PROPERTY(
        double aroundEventBefore READ aroundEventBefore WRITE setAroundEventBefore NOTIFY aroundEventChanged)
    Q_PROPERTY(
        double aroundEventAfter READ aroundEventAfter WRITE setAroundEventAfter NOTIFY aroundEventChanged)

public:
    PreviewViewModel(const PreviewServices& services, AppMessages& messages, LibraryViewModel& library,
                     QObject* parent = nullptr);

    // --- Opening and closing ---
    void selectEvent(const QString& eventID);
    void selectEvent(const TeslaClipEvent& event);
    void closeEventPreview();
    // Closes the preview when it shows one of these events.
    void closeEventAmong(const QSet<QUuid>& ids);
    // Plays the minute with this timestamp key, from `time` seconds into it (paused).
    void selectVideoGroup(const QString& timestampKey, double time = 0);
    // Shows the minute that holds `instant`, at that moment; false when no minute does.
    bool showInstant(Instant instant);
    // Both players stop (an import, closing).
    void stopPlayers();
    // Both players pause (an export starts).
    void pausePlayers();

    // --- Camera filter ---
    // The camera tabs: sets the filter and carries the shown player's time, play state and rate.
    void switchCameraFilter(const QString& camera);
    void setCameraFilter(CameraAngle camera);
    // After the filter changed: reloads keeping the minute, time and play state.
    void applyCameraFilterChange(const PlaybackResume& resume);

    // --- Export range ---
    void setExportRangeStart(double seconds);
    void setExportRangeEnd(double seconds);
    void clearExportRange();
    // The range buttons, at the shown player's time.
    RangeFeedback recordExportRangeStart();
    RangeFeedback recordExportRangeEnd();

    // --- Reads ---
    QString cameraFilter() const { return Camera::rawValue(cameraFilter_); }
    QString speedUnit() const { return speedUnit_; }
    void setSpeedUnit(const QString& unit);
    bool mapShown() const { return mapShown_; }
    void setMapShown(bool shown);
    // The map tiles every preview page draws (one cache, one connection limit).
    TileLoader* mapTiles();
    CameraAngle cameraFilterValue() const { return cameraFilter_; }
    bool isGrid() const { return cameraFilter_ == CameraAngle::all; }
    VideoGroupListModel* videoGroups() const { return groupsModel_; }
    VideoPreviewController* videoPreview() const { return videoPreview_; }
    MultiCameraPreviewController* multiCameraPreview() const { return multiCameraPreview_; }
    PreviewController* activePreview() const;
    std::optional<TeslaClipEvent> selectedEvent() const;
    std::optional<QUuid> selectedEventID() const { return selectedEventID_; }
    std::optional<TeslaVideoFile> selectedVideo() const;
    const std::vector<TeslaVideoFile>& videos() const { return videos_; }
    std::optional<QString> selectedTimestampKey() const { return selectedTimestampKey_; }
    bool isLoadingEvent() const { return isLoadingEvent_; }
    // The shown player's length and position.
    double activeDuration() const;
    double activeTime() const;
    std::optional<double> exportRangeStart() const { return exportRangeStart_; }
    std::optional<double> exportRangeEnd() const { return exportRangeEnd_; }
    // An event of several minutes plays as one time line: its steps (one per minute) and their
    // measured lengths; both empty for an event of one minute.
    const std::vector<PlaybackStep>& continuousPlaylistSteps() const;
    const std::vector<double>& continuousStepDurations() const;
    // The recording time of time `t`, as exports burn it in.
    QString watermarkText(double t) const;

    double aroundEventBefore() const { return aroundEventBefore_; }
    double aroundEventAfter() const { return aroundEventAfter_; }
    void setAroundEventBefore(double seconds);
    void setAroundEventAfter(double seconds);

    // --- What the later features tell it (the root view model wires these) ---
    // Choosing minutes of the open event to splice: whether it is on, and the minutes picked in
    // pick order, which the minute list marks.
    void setMinutePicks(bool picking, const QStringList& timestampKeys);
    bool isPickingMinutes() const { return isPickingMinutes_; }
    const QStringList& pickedMinutes() const { return pickedMinutes_; }
    // An export runs: nothing more can be exported until it ends.
    void setExportBusy(bool busy);
    bool isExportBusy() const { return isExportBusy_; }
    // Where exported files go, and whether that folder may still have to be made (the default
    // folder of a fresh account); the driving record is written there too.
    void setOutputFolder(const QString& folder, bool createWhenMissing);
    const QString& outputFolder() const { return outputFolder_; }
    bool createsOutputFolder() const { return createsOutputFolder_; }

    // --- What it asks of the later features ---
    // Starts (true) or ends (false) choosing minutes to splice.
    void requestMinutePicking(bool start) { emit minutePickingRequested(start); }
    void requestMinutePickToggle(const QString& timestampKey) {
        emit minutePickToggleRequested(timestampKey);
    }
    // Opens the merge editor with the minutes picked.
    void requestPickedMinutesMerge() { emit pickedMinutesMergeRequested(); }
    // Exports the minute or range shown.
    void requestExport() { emit exportRequested(); }
    // Exports aroundEventBefore / aroundEventAfter seconds about the event's moment.
    void requestAroundEventExport() { emit aroundEventExportRequested(); }
    // Asks for the owner's token to unlock the event's encrypted files.
    Q_INVOKABLE void requestUnlock() { emit unlockRequested(lockedFiles()); }
    // Saves plain copies of the event's encrypted clips.
    Q_INVOKABLE void requestDecryptedCopies() { emit decryptedCopiesRequested(); }
    // The event's incident report at recording time `at` (NaN: the moment the car saved it).
    void requestIncidentReport(double at) { emit incidentReportRequested(at); }

    // The event's files the car encrypted whose key the session lacks, as inspected so far.
    QStringList lockedFiles() const;
    // Keys arrived for `files`: an open event holding any of them opens again, now playable.
    void filesUnlocked(const QStringList& files);

    // What a file of a minute shown so far is, read in the background when the minute is shown
    // (an encrypted file or a power-cut stub cannot play); none until it is known.
    std::optional<media::ClipKind> clipKind(const QString& url) const;
    // The moment the car saved the open event (event.json's timestamp), when it says one.
    std::optional<Instant> eventMoment() const;
    // Where `instant` lies on the time line shown (the event's, or the one minute's); none when
    // no minute shown holds it.
    std::optional<double> timelineTimeOf(Instant instant) const;

    std::optional<PlaybackSegmentContext> playbackSegment(double time) const override;
    std::optional<PlaybackSegmentContext> nextPlaybackSegment(double time) const override;

signals:
    void cameraFilterChanged();
    // The user chose the camera filter (an event opening on the camera that saw it is no choice).
    void cameraChosen();
    void speedUnitChanged();
    void mapShownChanged();
    void selectedEventChanged();
    void selectedVideoChanged();
    void selectedTimestampKeyChanged();
    void videosChanged();
    void isLoadingEventChanged();
    void exportRangeChanged();
    // The preview closed (the other features leave what belonged to the event).
    void eventPreviewClosed();
    void clipKindsChanged();
    void aroundEventChanged();
    void minutePicksChanged();
    void exportBusyChanged();
    void outputFolderChanged();
    // Requests for the later features:
    void minutePickingRequested(bool start);
    void minutePickToggleRequested(const QString& timestampKey);
    void pickedMinutesMergeRequested();
    void exportRequested();
    void aroundEventExportRequested();
    // The user asked to unlock these files.
    void unlockRequested(const QStringList& files);
    void decryptedCopiesRequested();
    void incidentReportRequested(double at);
    // Keys arrived for files of the open event: what was read of them before is stale.
    void footageUnlocked();
    // Opening the event found these files locked (a token known already may unlock them).
    void lockedFilesFound(const QStringList& files);

private:
    QString speedUnit_ = QStringLiteral("kmh");
    bool mapShown_ = true;
    TileLoader* mapTiles_ = nullptr; // made when a map first asks
    void loadSelectedEvent(const PlaybackResume& resume);
    void applyLoadedVideos(const TeslaClipEvent& event, std::vector<TeslaVideoFile> loaded,
                           const PlaybackResume& resume);
    void loadGridMinute(const std::vector<TeslaVideoFile>& minute, const PlaybackResume& resume);
    void loadSingleMinute(const std::vector<TeslaVideoFile>& minute, const PlaybackResume& resume);
    // The whole event on the shown player, from the start of the minute picked (plus the resumed time).
    void loadEventTimeline(const PlaybackResume& resume);
    VideoSegmentPlaylist eventPlaylist() const;
    // The minute of step `index` of the whole-event time line, as the minute list shows it.
    std::optional<int> stepOfMinute(const QString& timestampKey) const;
    void followStep();
    // The shown player to `time` on its time line.
    void seekShown(double time, bool playing);
    void play(PreviewController* player, const VideoSegmentPlaylist& playlist, const PlaybackResume& resume);
    void showNothing();
    void releaseMemorySoon();
    void setSelectedEventID(std::optional<QUuid> id);
    void setSelectedVideoID(std::optional<QUuid> id);
    void setSelectedTimestampKey(std::optional<QString> key);
    void setVideos(std::vector<TeslaVideoFile> videos);
    void setLoadingEvent(bool value);
    void setExportRange(std::optional<double> start, std::optional<double> end);
    void refreshGroups();
    void inspectFiles(const std::vector<TeslaVideoFile>& files);
    // The triggering camera for a newly opened event: the filter switches to it, or in the grid
    // its file becomes the focus. Nothing when the event's files lack that camera.
    void preferTriggerCamera(const TeslaClipEvent& event, PlaybackResume& resume);

    PreviewServices services_;
    AppMessages& messages_;
    LibraryViewModel& library_;
    LatestRequest eventLoad_;
    CameraAngle cameraFilter_ = CameraAngle::front;
    std::optional<QUuid> selectedEventID_;
    std::optional<QUuid> selectedVideoID_;
    std::optional<QString> selectedTimestampKey_;
    std::vector<TeslaVideoFile> videos_;
    bool isLoadingEvent_ = false;
    std::optional<double> exportRangeStart_;
    std::optional<double> exportRangeEnd_;
    // The whole-event time line the players show, for events of several minutes.
    std::optional<VideoSegmentPlaylist> eventTimeline_;
    bool isPickingMinutes_ = false;
    QStringList pickedMinutes_;
    bool isExportBusy_ = false;
    QString outputFolder_;
    bool createsOutputFolder_ = false;
    double aroundEventBefore_ = defaultAroundEventBefore;
    double aroundEventAfter_ = defaultAroundEventAfter;
    QHash<QString, media::ClipKind> clipKinds_;
    LatestRequest inspection_;
    VideoPreviewController* videoPreview_;
    MultiCameraPreviewController* multiCameraPreview_;
    VideoGroupListModel* groupsModel_;

public:
    static constexpr double defaultAroundEventBefore = 30;
    static constexpr double defaultAroundEventAfter = 10;
    // After closing: long enough for the players' threads and the page to let go.
    static constexpr int memoryReleaseDelayMs = 1000;
};

} // namespace orvane
