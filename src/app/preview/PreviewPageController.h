#pragma once
// The event preview page's own logic: its texts and states, the transport and keyboard actions
// on whichever player the camera filter shows, the picture's aspect ratio and frame length (read
// off the interface thread), and the objects behind its dashboard, range buttons and minute list.
// Interface thread; the page creates one and it lives as long as the page.

#include "CameraAngle.h"
#include "ChoiceListModel.h"
#include "DashboardPresentation.h"
#include "DriveSection.h"
#include "GridCellModel.h"
#include "LatestRequest.h"
#include "MediaProbe.h"
#include "PreviewRangeSection.h"
#include "PreviewSegmentList.h"
#include "PreviewViewModel.h"
#include "RouteMap.h"
#include "TelemetryTimeline.h"
#include "TeslaClipEvent.h"

#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>
#include <cmath>
#include <optional>

namespace orvane {

class PreviewController;
struct PlaybackProblem;
class PreviewViewModel;

class PreviewPageController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(orvane::PreviewViewModel* preview READ preview WRITE setPreview NOTIFY previewChanged)
    // Follows the shown player's time and feeds the dashboard.
    Q_PROPERTY(orvane::TelemetryTimeline* timeline READ timeline CONSTANT)
    Q_PROPERTY(orvane::DashboardPresentation* dashboard READ dashboard CONSTANT)
    // The range buttons and their toast, which also answers the page's other actions.
    Q_PROPERTY(orvane::PreviewRangeSection* range READ range CONSTANT)
    // The event's drive along the time line and its route.
    Q_PROPERTY(orvane::DriveSection* drive READ drive CONSTANT)
    // The route on a map with the car at the frame on screen.
    Q_PROPERTY(orvane::RouteMap* map READ map CONSTANT)
    // The minute list (events of two minutes or more) and its merge selection.
    Q_PROPERTY(orvane::PreviewSegmentList* segments READ segments CONSTANT)
    // The grid ("四宫格", or "六宫格" for an event with pillar cameras), then the six cameras.
    Q_PROPERTY(orvane::ChoiceListModel* cameraOptions READ cameraOptions CONSTANT)
    // 1×, 2×, 4×.
    Q_PROPERTY(orvane::ChoiceListModel* playbackRates READ playbackRates CONSTANT)
    // "2024年5月1日 10:19:30 – 10:21:30", "视频预览" without an event.
    Q_PROPERTY(QString detailTitle READ detailTitle NOTIFY pageChanged)
    // Why the car saved the event, in words, and where: "鸣笛保存 · 上海 · 世纪大道"; empty without.
    Q_PROPERTY(QString detailSubtitle READ detailSubtitle NOTIFY pageChanged)
    Q_PROPERTY(bool isGrid READ isGrid NOTIFY pageChanged)
    // A file plays for the camera shown (the grid: its minute has a grid camera).
    Q_PROPERTY(bool hasVideo READ hasVideo NOTIFY pageChanged)
    Q_PROPERTY(bool isVideoLoading READ isVideoLoading NOTIFY pageChanged)
    // What the user must know about the camera shown: "无法读取这一分钟的视频" (no picture, see
    // isVideoUnreadable) or "视频在 00:01 处中断" (its last picture stays), and why; empty otherwise.
    Q_PROPERTY(QString videoProblem READ videoProblem NOTIFY pageChanged)
    Q_PROPERTY(QString videoProblemDetail READ videoProblemDetail NOTIFY pageChanged)
    Q_PROPERTY(bool isVideoUnreadable READ isVideoUnreadable NOTIFY pageChanged)
    // The grid cells in grid order; a cell's `note` says why its file cannot play ("已加密",
    // "文件已损坏"), else its `problem` says what went wrong reading it; both empty when it plays.
    Q_PROPERTY(orvane::GridCellModel* gridCells READ gridCells CONSTANT)
    // 2 for the four-camera grid, 3 for six.
    Q_PROPERTY(int gridColumns READ gridColumns NOTIFY pageChanged)
    // What the user must know about the footage shown: the car encrypted it (and where that is
    // turned off), or the file is a power-cut stub. Empty when it plays.
    Q_PROPERTY(QString clipNotice READ clipNotice NOTIFY pageChanged)
    // Why playback could not go on as the time line does (a minute passed over, footage that ended
    // early, the drive gone); empty while it can.
    Q_PROPERTY(QString playbackNotice READ playbackNotice NOTIFY pageChanged)
    // Files of the event are encrypted and the session lacks their keys: the page offers unlocking.
    Q_PROPERTY(bool canUnlock READ canUnlock NOTIFY pageChanged)
    // The event is encrypted and unlocked: plain copies of it can be saved.
    Q_PROPERTY(bool canSaveDecryptedCopies READ canSaveDecryptedCopies NOTIFY pageChanged)
    // An event the car saved (it has event.json) whose footage can be read: "生成事故报告".
    Q_PROPERTY(bool canWriteReport READ canWriteReport NOTIFY pageChanged)
    // The moment the car saved the event: its time of day, and where it lies on the time line
    // shown (NaN when no minute shown holds it).
    Q_PROPERTY(bool hasEventMoment READ hasEventMoment NOTIFY pageChanged)
    Q_PROPERTY(QString eventMomentTitle READ eventMomentTitle NOTIFY pageChanged)
    Q_PROPERTY(double eventMarkerTime READ eventMarkerTime NOTIFY pageChanged)
    Q_PROPERTY(QString rateTitle READ rateTitle NOTIFY pageChanged)
    Q_PROPERTY(bool canExport READ canExport NOTIFY pageChanged)
    // The recording time of the frame shown, as exports burn it in.
    Q_PROPERTY(QString watermarkText READ watermarkText NOTIFY watermarkTextChanged)
    // Width / height of the picture, kept within 0.5 … 3; 16/9 until a file was read.
    Q_PROPERTY(double videoAspectRatio READ videoAspectRatio NOTIFY videoAspectRatioChanged)

public:
    static constexpr double skipSeconds = 5;
    static constexpr double defaultAspectRatio = 16.0 / 9.0;
    static constexpr double minimumAspectRatio = 0.5;
    static constexpr double maximumAspectRatio = 3.0;

    explicit PreviewPageController(QObject* parent = nullptr);

    PreviewViewModel* preview() const { return preview_; }
    void setPreview(PreviewViewModel* preview);
    TelemetryTimeline* timeline() const { return timeline_; }
    DriveSection* drive() const { return drive_; }
    RouteMap* map() const { return map_; }
    DashboardPresentation* dashboard() const { return dashboard_; }
    PreviewRangeSection* range() const { return range_; }
    PreviewSegmentList* segments() const { return segments_; }
    ChoiceListModel* cameraOptions() const { return cameraOptions_; }
    ChoiceListModel* playbackRates() const { return playbackRates_; }
    QString detailTitle() const { return page_.detailTitle; }
    QString detailSubtitle() const { return page_.detailSubtitle; }
    int gridColumns() const { return page_.gridColumns; }
    QString clipNotice() const { return page_.clipNotice; }
    QString playbackNotice() const { return page_.playbackNotice; }
    bool canUnlock() const { return page_.canUnlock; }
    bool canSaveDecryptedCopies() const { return page_.canSaveDecryptedCopies; }
    bool canWriteReport() const { return page_.canWriteReport; }
    bool hasEventMoment() const { return page_.eventMoment.has_value(); }
    QString eventMomentTitle() const { return page_.eventMomentTitle; }
    double eventMarkerTime() const { return page_.eventMarkerTime.value_or(NAN); }
    bool isGrid() const { return page_.isGrid; }
    bool hasVideo() const { return page_.hasVideo; }
    bool isVideoLoading() const { return page_.isVideoLoading; }
    QString videoProblem() const { return page_.videoProblem; }
    QString videoProblemDetail() const { return page_.videoProblemDetail; }
    bool isVideoUnreadable() const { return page_.isVideoUnreadable; }
    GridCellModel* gridCells() const { return gridCells_; }
    QString rateTitle() const { return page_.rateTitle; }
    bool canExport() const { return page_.canExport; }
    QString watermarkText() const { return watermarkText_; }
    double videoAspectRatio() const { return videoAspectRatio_; }

    // --- Transport and keyboard ---
    Q_INVOKABLE void togglePlayPause();
    Q_INVOKABLE void skip(double seconds);
    // "后退 5" / "前进 5".
    Q_INVOKABLE void skipBack() { skip(-skipSeconds); }
    Q_INVOKABLE void skipForward() { skip(skipSeconds); }
    // One frame per count, forward or back; pauses first.
    Q_INVOKABLE void stepFrame(int count);
    Q_INVOKABLE void seek(double time);
    Q_INVOKABLE void beginScrub();
    Q_INVOKABLE void scrub(double time);
    Q_INVOKABLE void endScrub();
    Q_INVOKABLE void setPlaybackRate(double rate);
    Q_INVOKABLE void selectCamera(const QString& camera);
    Q_INVOKABLE void exportSelection();
    Q_INVOKABLE void saveDecryptedCopies();
    // The incident report at the frame on screen, or at the moment the car saved the event.
    Q_INVOKABLE void writeReport(bool atFrameOnScreen);
    // "M": the minute that holds the event's moment, at that moment.
    Q_INVOKABLE void jumpToEventMoment();
    // The chosen camera or the grid from before to after the event's moment (the preview's
    // aroundEventBefore / aroundEventAfter), across minutes.
    Q_INVOKABLE void exportAroundEvent();
    // Writes the driving record of the event's minutes (or of the file shown) as a CSV file into
    // the folder exports go to, and says how it went in the page's toast.
    Q_INVOKABLE void exportDrivingRecord();
    Q_INVOKABLE void goBack();
    // Esc: ends choosing minutes to splice first, then goes back.
    Q_INVOKABLE void escape();

    // --- Rules (pure) ---
    static QString detailTitle(const std::optional<TeslaClipEvent>& event, const QLocale& locale = QLocale());
    // Width / height after the rotation, kept within 0.5 … 3; none for a picture without size.
    static std::optional<double> aspectRatio(const media::MediaInfo& info);
    // The time inside the frame `count` frames away from the one showing `current`.
    static double frameStepTarget(double current, int count, double frameDuration, double duration);
    // The same by the file's own frame times (seconds from its first frame, ascending), so an
    // uneven pace neither skips nor repeats a frame; without times, by frameDuration.
    static double frameStepTarget(double current, int count, const std::vector<double>& frameTimes,
                                  double frameDuration, double duration);
    // "1×", "2×", "4×".
    static QString rateTitle(float rate);
    // What a problem is called: over one camera's picture, or in a grid cell.
    static QString problemTitle(const PlaybackProblem& problem, bool inGridCell);

signals:
    void previewChanged();
    void pageChanged();
    void watermarkTextChanged();
    void videoAspectRatioChanged();

private:
    struct PageState {
        std::vector<Choice> cameraOptions;
        QString detailTitle;
        QString detailSubtitle;
        bool isGrid = false;
        int gridColumns = 2;
        QString clipNotice;
        QString playbackNotice;
        bool canUnlock = false;
        bool canSaveDecryptedCopies = false;
        bool canWriteReport = false;
        std::optional<Instant> eventMoment;
        QString eventMomentTitle;
        std::optional<double> eventMarkerTime;
        bool hasVideo = false;
        bool isVideoLoading = false;
        QString videoProblem;
        QString videoProblemDetail;
        bool isVideoUnreadable = false;
        std::vector<GridCell> gridCells;
        QString rateTitle;
        bool canExport = false;
        bool operator==(const PageState&) const = default;
    };

    PreviewController* active() const;
    void seekActive(double time, bool resumeIfPlaying);
    void connectPreview();
    void refreshPage();
    PageState computePage() const;
    void computeEvent(PageState& s, const PreviewViewModel& preview) const;
    std::vector<GridCell> computeGridCells() const;
    // Why the file shown (or, in the grid, any cell's) cannot play; empty when it can.
    QString computeClipNotice(const PreviewViewModel& preview) const;
    void refreshTime();
    void refreshSelection();
    void loadVideoFacts(const QString& url);
    void disconnectPreview();

    QPointer<PreviewViewModel> preview_;
    TelemetryTimeline* timeline_;
    DriveSection* drive_;
    RouteMap* map_;
    DashboardPresentation* dashboard_;
    PreviewRangeSection* range_;
    PreviewSegmentList* segments_;
    ChoiceListModel* cameraOptions_;
    ChoiceListModel* playbackRates_;
    GridCellModel* gridCells_;
    PageState page_;
    Camera::GridLayout gridLayout_ = Camera::GridLayout::four;
    std::vector<CameraAngle> eventCameras_; // of the last event whose files were read
    QString watermarkText_;
    double videoAspectRatio_ = defaultAspectRatio;
    double frameDuration_ = 1.0 / media::cameraFrameRate;
    std::vector<double> frameTimes_; // of the file shown, when its index gives them
    QString factsUrl_;               // the file whose aspect ratio and frame length are wanted
    LatestRequest facts_;
};

} // namespace orvane
