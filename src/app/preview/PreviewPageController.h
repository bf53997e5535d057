#pragma once
// The event preview page's own logic: its texts and states, the transport and keyboard actions
// on whichever player the camera filter shows, the range toast and its two seconds, the
// picture's aspect ratio and frame length (read off the interface thread) and the dashboard's
// telemetry timeline. Interface thread; the page creates one and it lives as long as the page.

#include "DashboardPresentation.h"
#include "LatestRequest.h"
#include "MainViewModel.h"
#include "MediaProbe.h"
#include "PreviewEnvironment.h"
#include "TelemetryTimeline.h"
#include "TeslaClipEvent.h"

#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <cmath>
#include <optional>

namespace orvane {

class PreviewController;
struct PlaybackProblem;
class PreviewViewModel;
struct RangeFeedback;

class PreviewPageController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(orvane::MainViewModel* viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)
    // Follows the shown player's time and feeds the dashboard.
    Q_PROPERTY(orvane::TelemetryTimeline* timeline READ timeline CONSTANT)
    Q_PROPERTY(orvane::DashboardPresentation* dashboard READ dashboard CONSTANT)
    // [{value, title}]: the grid ("四宫格", or "六宫格" for an event with pillar cameras), then
    // the six cameras.
    Q_PROPERTY(QVariantList cameraOptions READ cameraOptions NOTIFY pageChanged)
    // [{value, title}]: 1×, 2×, 4×.
    Q_PROPERTY(QVariantList playbackRates READ playbackRates CONSTANT)
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
    // The grid cells in grid order: [{camera, title, hasVideo, note, noteIcon, problem,
    // problemDetail, unreadable}]; `note` says why a cell's file cannot play ("已加密",
    // "文件已损坏"), else `problem` says what went wrong reading it; both empty when it plays.
    Q_PROPERTY(QVariantList gridCells READ gridCells NOTIFY pageChanged)
    // 2 for the four-camera grid, 3 for six.
    Q_PROPERTY(int gridColumns READ gridColumns NOTIFY pageChanged)
    // The grid's cells are made once for the largest layout; those past gridCells are hidden.
    Q_PROPERTY(int gridCellCapacity READ gridCellCapacity CONSTANT)
    // What the user must know about the footage shown: the car encrypted it (and where that is
    // turned off), or the file is a power-cut stub. Empty when it plays.
    Q_PROPERTY(QString clipNotice READ clipNotice NOTIFY pageChanged)
    // The moment the car saved the event: its time of day, and where it lies on the time line
    // shown (NaN when no minute shown holds it).
    Q_PROPERTY(bool hasEventMoment READ hasEventMoment NOTIFY pageChanged)
    Q_PROPERTY(QString eventMomentTitle READ eventMomentTitle NOTIFY pageChanged)
    Q_PROPERTY(double eventMarkerTime READ eventMarkerTime NOTIFY pageChanged)
    Q_PROPERTY(QString rateTitle READ rateTitle NOTIFY pageChanged)
    // The range buttons: the recorded time or the title, and the help text.
    Q_PROPERTY(bool hasRangeStart READ hasRangeStart NOTIFY pageChanged)
    Q_PROPERTY(bool hasRangeEnd READ hasRangeEnd NOTIFY pageChanged)
    Q_PROPERTY(QString rangeStartTitle READ rangeStartTitle NOTIFY pageChanged)
    Q_PROPERTY(QString rangeEndTitle READ rangeEndTitle NOTIFY pageChanged)
    Q_PROPERTY(QString rangeStartHelp READ rangeStartHelp NOTIFY pageChanged)
    Q_PROPERTY(QString rangeEndHelp READ rangeEndHelp NOTIFY pageChanged)
    Q_PROPERTY(bool canExport READ canExport NOTIFY pageChanged)
    // The minute list (events of two minutes or more) and its merge selection.
    Q_PROPERTY(bool showsSegmentList READ showsSegmentList NOTIFY pageChanged)
    Q_PROPERTY(bool isSegmentSelecting READ isSegmentSelecting NOTIFY pageChanged)
    Q_PROPERTY(QString segmentHint READ segmentHint NOTIFY pageChanged)
    Q_PROPERTY(QString segmentCountText READ segmentCountText NOTIFY pageChanged)
    Q_PROPERTY(bool canMergeSegments READ canMergeSegments NOTIFY pageChanged)
    // The recording time of the frame shown, as exports burn it in.
    Q_PROPERTY(QString watermarkText READ watermarkText NOTIFY watermarkTextChanged)
    // Width / height of the picture, kept within 0.5 … 3; 16/9 until a file was read.
    Q_PROPERTY(double videoAspectRatio READ videoAspectRatio NOTIFY videoAspectRatioChanged)
    // The range toast; empty when none is shown.
    Q_PROPERTY(QString rangeFeedback READ rangeFeedback NOTIFY rangeFeedbackChanged)
    Q_PROPERTY(bool rangeFeedbackIsError READ rangeFeedbackIsError NOTIFY rangeFeedbackChanged)

public:
    // Runs an action on the interface thread after a delay; returns how to cancel it.
    using Schedule = decltype(PreviewEnvironment::schedule);

    // How long a range toast stays.
    static constexpr int feedbackMilliseconds = 2000;
    static constexpr double skipSeconds = 5;
    static constexpr double defaultAspectRatio = 16.0 / 9.0;
    static constexpr double minimumAspectRatio = 0.5;
    static constexpr double maximumAspectRatio = 3.0;

    explicit PreviewPageController(QObject* parent = nullptr);
    ~PreviewPageController() override;

    MainViewModel* viewModel() const { return viewModel_; }
    void setViewModel(MainViewModel* viewModel);
    TelemetryTimeline* timeline() const { return timeline_; }
    DashboardPresentation* dashboard() const { return dashboard_; }
    QVariantList cameraOptions() const { return page_.cameraOptions; }
    QVariantList playbackRates() const;
    QString detailTitle() const { return page_.detailTitle; }
    QString detailSubtitle() const { return page_.detailSubtitle; }
    int gridColumns() const { return page_.gridColumns; }
    static int gridCellCapacity();
    QString clipNotice() const { return page_.clipNotice; }
    bool hasEventMoment() const { return page_.eventMoment.has_value(); }
    QString eventMomentTitle() const { return page_.eventMomentTitle; }
    double eventMarkerTime() const { return page_.eventMarkerTime.value_or(NAN); }
    bool isGrid() const { return page_.isGrid; }
    bool hasVideo() const { return page_.hasVideo; }
    bool isVideoLoading() const { return page_.isVideoLoading; }
    QString videoProblem() const { return page_.videoProblem; }
    QString videoProblemDetail() const { return page_.videoProblemDetail; }
    bool isVideoUnreadable() const { return page_.isVideoUnreadable; }
    QVariantList gridCells() const { return page_.gridCells; }
    QString rateTitle() const { return page_.rateTitle; }
    bool hasRangeStart() const { return page_.hasRangeStart; }
    bool hasRangeEnd() const { return page_.hasRangeEnd; }
    QString rangeStartTitle() const { return page_.rangeStartTitle; }
    QString rangeEndTitle() const { return page_.rangeEndTitle; }
    QString rangeStartHelp() const { return page_.rangeStartHelp; }
    QString rangeEndHelp() const { return page_.rangeEndHelp; }
    bool canExport() const { return page_.canExport; }
    bool showsSegmentList() const { return page_.showsSegmentList; }
    bool isSegmentSelecting() const { return page_.isSegmentSelecting; }
    QString segmentHint() const { return page_.segmentHint; }
    QString segmentCountText() const { return page_.segmentCountText; }
    bool canMergeSegments() const { return page_.canMergeSegments; }
    QString watermarkText() const { return watermarkText_; }
    double videoAspectRatio() const { return videoAspectRatio_; }
    QString rangeFeedback() const { return rangeFeedback_; }
    bool rangeFeedbackIsError() const { return rangeFeedbackIsError_; }

    // Replaces the timer behind the toast (tests).
    void setSchedule(Schedule schedule) { schedule_ = std::move(schedule); }

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
    Q_INVOKABLE void recordRangeStart();
    Q_INVOKABLE void recordRangeEnd();
    Q_INVOKABLE void exportSelection();
    // "M": the minute that holds the event's moment, at that moment.
    Q_INVOKABLE void jumpToEventMoment();
    // The chosen camera or the grid from before to after the event's moment (ExportViewModel's
    // aroundEventBefore / aroundEventAfter), across minutes.
    Q_INVOKABLE void exportAroundEvent();
    // Writes the driving record of the event's minutes (or of the file shown) as a CSV file into
    // the export destination folder, and says how it went in the page's toast.
    Q_INVOKABLE void exportDrivingRecord();
    Q_INVOKABLE void goBack();
    // Esc: ends choosing minutes to splice first, then goes back.
    Q_INVOKABLE void escape();
    // Plays the minute, or picks it while choosing minutes to splice.
    Q_INVOKABLE void activateSegment(const QString& timestampKey);
    Q_INVOKABLE void toggleSegmentSelection();
    Q_INVOKABLE void continueSegmentMerge();
    // Shows a toast for two seconds; a newer one replaces it and keeps its own two seconds.
    Q_INVOKABLE void showRangeFeedback(const QString& message, bool isError);

    // --- Rules (pure) ---
    static QString detailTitle(const std::optional<TeslaClipEvent>& event, const QLocale& locale = QLocale());
    // "记录开始时间", "重新记录开始时间".
    static QString rangeHelp(const QString& title, bool recorded);
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
    void viewModelChanged();
    void pageChanged();
    void watermarkTextChanged();
    void videoAspectRatioChanged();
    void rangeFeedbackChanged();

private:
    struct PageState {
        QVariantList cameraOptions;
        QString detailTitle;
        QString detailSubtitle;
        bool isGrid = false;
        int gridColumns = 2;
        QString clipNotice;
        std::optional<Instant> eventMoment;
        QString eventMomentTitle;
        std::optional<double> eventMarkerTime;
        bool hasVideo = false;
        bool isVideoLoading = false;
        QString videoProblem;
        QString videoProblemDetail;
        bool isVideoUnreadable = false;
        QVariantList gridCells;
        QString rateTitle;
        bool hasRangeStart = false;
        bool hasRangeEnd = false;
        QString rangeStartTitle;
        QString rangeEndTitle;
        QString rangeStartHelp;
        QString rangeEndHelp;
        bool canExport = false;
        bool showsSegmentList = false;
        bool isSegmentSelecting = false;
        QString segmentHint;
        QString segmentCountText;
        bool canMergeSegments = false;
        bool operator==(const PageState&) const = default;
    };

    PreviewController* active() const;
    void seekActive(double time, bool resumeIfPlaying);
    void connectViewModel();
    void refreshPage();
    PageState computePage() const;
    void computeEvent(PageState& s, const PreviewViewModel& preview) const;
    QVariantList computeGridCells() const;
    // Why the file shown (or, in the grid, any cell's) cannot play; empty when it can.
    QString computeClipNotice(const PreviewViewModel& preview) const;
    void refreshTime();
    void refreshSelection();
    void loadVideoFacts(const QString& url);
    void clearFeedback(LatestRequest::Ticket ticket);
    void showFeedback(const RangeFeedback& feedback);
    void disconnectViewModel();

    QPointer<MainViewModel> viewModel_;
    TelemetryTimeline* timeline_;
    DashboardPresentation* dashboard_;
    Schedule schedule_;
    PreviewEnvironment::Cancel feedbackTimer_;
    PageState page_;
    Camera::GridLayout gridLayout_ = Camera::GridLayout::four;
    QString watermarkText_;
    double videoAspectRatio_ = defaultAspectRatio;
    double frameDuration_ = 1.0 / media::cameraFrameRate;
    std::vector<double> frameTimes_; // of the file shown, when its index gives them
    QString factsUrl_;               // the file whose aspect ratio and frame length are wanted
    LatestRequest facts_;
    QString rangeFeedback_;
    bool rangeFeedbackIsError_ = false;
    LatestRequest feedback_;
};

} // namespace orvane
