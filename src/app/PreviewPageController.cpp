#include "PreviewPageController.h"

#include "CameraOptions.h"
#include "MainViewModel.h"
#include "MultiCameraPreviewController.h"
#include "PlaybackTimeFormat.h"
#include "TelemetryTimeline.h"
#include "VideoPreviewController.h"

#include <QDateTime>
#include <QFuture>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr double millisecondsPerSecond = 1000;
// A player's time may sit a hair before the frame it shows.
constexpr double frameIndexTolerance = 1e-4;
constexpr int minimumSegmentsToMerge = 2;

// The locale's long date without the weekday and with the month abbreviated: "May 1, 2024",
// "2024年5月1日".
QString mediumDateFormat(const QLocale& locale) {
    static const QRegularExpression weekday(QStringLiteral("[,，]?\\s*dddd[,，]?\\s*"));
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(weekday);
    format.replace(QLatin1String("MMMM"), QLatin1String("MMM"));
    return format.trimmed();
}

struct VideoFacts {
    std::optional<double> aspectRatio;
    double frameDuration = 0;
};

VideoFacts readVideoFacts(const QString& path) {
    try {
        const media::MediaInfo info = media::MediaProbe::probe(path);
        return {PreviewPageController::aspectRatio(info), info.frameDuration};
    } catch (const std::exception&) {
        return {}; // an unreadable file keeps the shape the page has
    }
}

} // namespace

PreviewPageController::PreviewPageController(QObject* parent)
    : QObject(parent), timeline_(new TelemetryTimeline(this)), schedule_(PreviewEnvironment::standard().schedule) {
    page_ = computePage();
}

PreviewPageController::~PreviewPageController() {
    if (feedbackTimer_)
        feedbackTimer_();
}

QObject* PreviewPageController::viewModelObject() const { return viewModel_.data(); }

void PreviewPageController::setViewModel(QObject* viewModel) {
    auto* vm = qobject_cast<MainViewModel*>(viewModel);
    if (vm == viewModel_)
        return;
    if (viewModel_) {
        disconnect(viewModel_, nullptr, this, nullptr);
        disconnect(viewModel_->videoPreview(), nullptr, this, nullptr);
        disconnect(viewModel_->multiCameraPreview(), nullptr, this, nullptr);
        disconnect(viewModel_->videoGroups(), nullptr, this, nullptr);
    }
    viewModel_ = vm;
    timeline_->setSegmentSource(vm);
    if (vm)
        connectViewModel();
    emit viewModelChanged();
    refreshSelection();
}

void PreviewPageController::connectViewModel() {
    MainViewModel* vm = viewModel_;
    for (auto changed : {&MainViewModel::selectedEventChanged, &MainViewModel::isLoadingEventChanged,
                         &MainViewModel::exportRangeStartChanged, &MainViewModel::exportRangeEndChanged,
                         &MainViewModel::isSegmentMergeSelectionModeChanged,
                         &MainViewModel::mergeSelectedTimestampKeysChanged, &MainViewModel::isProcessingChanged})
        connect(vm, changed, this, &PreviewPageController::refreshPage);
    for (auto changed : {&MainViewModel::selectedVideoChanged, &MainViewModel::cameraFilterChanged,
                         &MainViewModel::videosChanged, &MainViewModel::continuousPlaylistStepsChanged})
        connect(vm, changed, this, &PreviewPageController::refreshSelection);
    connect(vm->videoGroups(), &VideoGroupListModel::countChanged, this, &PreviewPageController::refreshPage);
    for (PreviewController* preview :
         std::initializer_list<PreviewController*>{vm->videoPreview(), vm->multiCameraPreview()}) {
        connect(preview, &PreviewController::isLoadingChanged, this, &PreviewPageController::refreshPage);
        connect(preview, &PreviewController::playbackRateChanged, this, &PreviewPageController::refreshPage);
        connect(preview, &PreviewController::currentTimeChanged, this, &PreviewPageController::refreshTime);
        connect(preview, &PreviewController::durationChanged, this, &PreviewPageController::refreshSelection);
    }
    connect(vm->multiCameraPreview(), &MultiCameraPreviewController::cameraSlotsChanged, this,
            &PreviewPageController::refreshPage);
}

QVariantList PreviewPageController::cameraOptions() const { return CameraOptions::preview(); }

QVariantList PreviewPageController::playbackRates() const {
    QVariantList rates;
    for (float rate : {1.0f, 2.0f, 4.0f})
        rates << QVariantMap{{QStringLiteral("value"), rate}, {QStringLiteral("title"), rateTitle(rate)}};
    return rates;
}

PreviewController* PreviewPageController::active() const {
    if (!viewModel_)
        return nullptr;
    if (viewModel_->settings().cameraFilter == CameraAngle::all)
        return viewModel_->multiCameraPreview();
    return viewModel_->videoPreview();
}

// --- Derived state ---

void PreviewPageController::refreshPage() {
    PageState next = computePage();
    if (next == page_)
        return;
    page_ = std::move(next);
    emit pageChanged();
}

PreviewPageController::PageState PreviewPageController::computePage() const {
    PageState s;
    const MainViewModel* vm = viewModel_;
    s.detailTitle = detailTitle(vm ? vm->selectedEventValue() : std::nullopt);
    s.rangeStartHelp = rangeHelp(QStringLiteral("开始"), false);
    s.rangeEndHelp = rangeHelp(QStringLiteral("结束"), false);
    s.rangeStartTitle = QStringLiteral("开始");
    s.rangeEndTitle = QStringLiteral("结束");
    s.rateTitle = rateTitle(1);
    s.segmentHint = QStringLiteral("点击片段播放，或多选片段拼接");
    s.gridCells = computeGridCells();
    if (!vm)
        return s;
    const PreviewController* player = active();
    s.isGrid = vm->settings().cameraFilter == CameraAngle::all;
    s.hasVideo = vm->hasSelectedVideo();
    // A player that has nothing yet while a file is chosen is about to get it.
    s.isVideoLoading = vm->isLoadingEvent() ||
                       (s.hasVideo && (player->isLoading() || !player->loadedPlaylistSignature()));
    s.rateTitle = rateTitle(player->playbackRate());
    s.hasRangeStart = vm->hasExportRangeStart();
    s.hasRangeEnd = vm->hasExportRangeEnd();
    if (s.hasRangeStart)
        s.rangeStartTitle = PlaybackTimeFormat::format(vm->exportRangeStart());
    if (s.hasRangeEnd)
        s.rangeEndTitle = PlaybackTimeFormat::format(vm->exportRangeEnd());
    s.rangeStartHelp = rangeHelp(QStringLiteral("开始"), s.hasRangeStart);
    s.rangeEndHelp = rangeHelp(QStringLiteral("结束"), s.hasRangeEnd);
    s.canExport = s.hasVideo && !vm->isProcessing();
    s.showsSegmentList = vm->videoGroups()->count() >= minimumSegmentsToMerge;
    s.isSegmentSelecting = vm->isSegmentMergeSelectionMode();
    const auto picked = int(vm->mergeSelectedTimestampKeys().size());
    if (s.isSegmentSelecting) {
        s.segmentHint = QStringLiteral("选择两个或更多片段进行拼接");
        s.segmentCountText = QStringLiteral("已选 %1 段").arg(picked);
    }
    s.canMergeSegments = s.isSegmentSelecting && picked >= minimumSegmentsToMerge;
    return s;
}

QVariantList PreviewPageController::computeGridCells() const {
    QVariantList cells;
    const MultiCameraPreviewController* grid = viewModel_ ? viewModel_->multiCameraPreview() : nullptr;
    for (CameraAngle camera : Camera::gridOrder) {
        bool hasVideo = false;
        if (grid)
            for (const CameraSlot& slot : grid->cameraSlots())
                hasVideo = hasVideo || (slot.angle == camera && slot.video);
        cells << QVariantMap{{QStringLiteral("camera"), Camera::rawValue(camera)},
                             {QStringLiteral("title"), Camera::displayName(camera)},
                             {QStringLiteral("hasVideo"), hasVideo}};
    }
    return cells;
}

void PreviewPageController::refreshTime() {
    const PreviewController* player = active();
    if (!player)
        return;
    timeline_->setCurrentTime(player->currentTime());
    const QString text = viewModel_->watermarkText(player->currentTime());
    if (text != watermarkText_) {
        watermarkText_ = text;
        emit watermarkTextChanged();
    }
}

// Another file, camera or minute: the dashboard and the watermark resolve the time again even
// when it did not move, and the picture's shape is read anew.
void PreviewPageController::refreshSelection() {
    refreshPage();
    if (const PreviewController* player = active())
        timeline_->update(player->currentTime());
    refreshTime();
    if (viewModel_ && viewModel_->hasSelectedVideo())
        loadVideoFacts(viewModel_->selectedVideo().value(QStringLiteral("url")).toString());
}

void PreviewPageController::loadVideoFacts(const QString& url) {
    if (url.isEmpty() || url == factsUrl_)
        return;
    factsUrl_ = url;
    QtConcurrent::run(readVideoFacts, url).then(this, [this, url](VideoFacts facts) {
        if (url != factsUrl_)
            return; // the page moved on to another file meanwhile
        if (facts.frameDuration > 0)
            frameDuration_ = facts.frameDuration;
        if (facts.aspectRatio && *facts.aspectRatio != videoAspectRatio_) {
            videoAspectRatio_ = *facts.aspectRatio;
            emit videoAspectRatioChanged();
        }
    });
}

// --- Transport ---

void PreviewPageController::togglePlayPause() {
    if (PreviewController* player = active())
        player->togglePlayPause();
}

void PreviewPageController::seekActive(double time, bool resumeIfPlaying) {
    if (!viewModel_)
        return;
    const PreviewController* player = active();
    const double t = std::clamp(time, 0.0, std::max(player->duration(), 0.0));
    if (player == viewModel_->multiCameraPreview())
        viewModel_->multiCameraPreview()->seekAll(t, resumeIfPlaying);
    else
        viewModel_->videoPreview()->seek(t, resumeIfPlaying);
}

void PreviewPageController::skip(double seconds) {
    if (const PreviewController* player = active(); player && player->duration() > 0)
        seekActive(player->currentTime() + seconds, player->isPlaying());
}

void PreviewPageController::stepFrame(int count) {
    PreviewController* player = active();
    if (!player || player->duration() <= 0 || count == 0)
        return;
    if (player->isPlaying())
        player->togglePlayPause();
    seekActive(frameStepTarget(player->currentTime(), count, frameDuration_, player->duration()), false);
}

void PreviewPageController::seek(double time) {
    if (const PreviewController* player = active())
        seekActive(time, player->isPlaying());
}

void PreviewPageController::beginScrub() {
    if (PreviewController* player = active())
        player->setScrubbing(true);
}

void PreviewPageController::scrub(double time) {
    if (PreviewController* player = active())
        player->updateScrubPosition(time);
}

void PreviewPageController::endScrub() {
    if (PreviewController* player = active())
        player->setScrubbing(false);
}

void PreviewPageController::setPlaybackRate(double rate) {
    if (PreviewController* player = active(); player && rate > 0)
        player->setPlaybackRate(float(rate));
}

void PreviewPageController::selectCamera(const QString& camera) {
    if (viewModel_)
        viewModel_->switchCameraFilter(camera);
}

void PreviewPageController::exportSelection() {
    if (viewModel_ && page_.canExport)
        viewModel_->startProcessing();
}

void PreviewPageController::goBack() {
    if (viewModel_)
        viewModel_->closeEventPreview();
}

void PreviewPageController::escape() {
    if (viewModel_ && viewModel_->isSegmentMergeSelectionMode())
        viewModel_->cancelSegmentMergeSelection();
    else
        goBack();
}

void PreviewPageController::activateSegment(const QString& timestampKey) {
    if (!viewModel_)
        return;
    if (viewModel_->isSegmentMergeSelectionMode())
        viewModel_->toggleMergeSegment(timestampKey);
    else
        viewModel_->selectVideoGroup(timestampKey);
}

void PreviewPageController::toggleSegmentSelection() {
    if (!viewModel_)
        return;
    if (viewModel_->isSegmentMergeSelectionMode())
        viewModel_->cancelSegmentMergeSelection();
    else
        viewModel_->startSegmentMergeSelection();
}

void PreviewPageController::continueSegmentMerge() {
    if (!viewModel_ || !page_.canMergeSegments)
        return;
    if (PreviewController* player = active(); player->isPlaying())
        player->togglePlayPause();
    viewModel_->prepareMergeEditor();
}

// --- Range and its toast ---

void PreviewPageController::recordRangeStart() {
    if (viewModel_)
        showFeedbackMap(viewModel_->recordExportRangeStart());
}

void PreviewPageController::recordRangeEnd() {
    if (viewModel_)
        showFeedbackMap(viewModel_->recordExportRangeEnd());
}

void PreviewPageController::showFeedbackMap(const QVariantMap& feedback) {
    showRangeFeedback(feedback.value(QStringLiteral("message")).toString(),
                      feedback.value(QStringLiteral("isError")).toBool());
}

void PreviewPageController::showRangeFeedback(const QString& message, bool isError) {
    const quint64 token = ++feedbackToken_;
    if (feedbackTimer_)
        feedbackTimer_(); // it would find a newer token anyway
    rangeFeedback_ = message;
    rangeFeedbackIsError_ = isError;
    emit rangeFeedbackChanged();
    QPointer<PreviewPageController> self(this);
    feedbackTimer_ = schedule_(feedbackMilliseconds, [self, token] {
        if (self)
            self->clearFeedback(token);
    });
}

void PreviewPageController::clearFeedback(quint64 token) {
    if (token != feedbackToken_ || rangeFeedback_.isEmpty())
        return;
    feedbackTimer_ = {};
    rangeFeedback_.clear();
    emit rangeFeedbackChanged();
}

// --- Rules ---

QString PreviewPageController::detailTitle(const std::optional<TeslaClipEvent>& event, const QLocale& locale) {
    if (!event)
        return QStringLiteral("视频预览");
    const QDateTime start =
        QDateTime::fromMSecsSinceEpoch(qint64(std::llround(event->startTime * millisecondsPerSecond)), Qt::LocalTime);
    return locale.toString(start.date(), mediumDateFormat(locale)) + QLatin1Char(' ') + event->timeRangeTitle();
}

QString PreviewPageController::rangeHelp(const QString& title, bool recorded) {
    return (recorded ? QStringLiteral("重新记录") : QStringLiteral("记录")) + title + QStringLiteral("时间");
}

std::optional<double> PreviewPageController::aspectRatio(const media::MediaInfo& info) {
    const bool turned = info.rotation == 90 || info.rotation == 270;
    const double width = std::abs(double(turned ? info.height : info.width));
    const double height = std::abs(double(turned ? info.width : info.height));
    if (!(width > 0) || !(height > 0))
        return std::nullopt;
    return std::clamp(width / height, minimumAspectRatio, maximumAspectRatio);
}

double PreviewPageController::frameStepTarget(double current, int count, double frameDuration, double duration) {
    const double limit = std::max(duration, 0.0);
    if (!(frameDuration > 0) || !std::isfinite(current))
        return std::clamp(std::isfinite(current) ? current : 0.0, 0.0, limit);
    // Aim at the middle of the frame, so rounding never lands on its neighbour.
    const double frame = std::floor(std::max(current, 0.0) / frameDuration + frameIndexTolerance);
    return std::clamp((frame + count + 0.5) * frameDuration, 0.0, limit);
}

QString PreviewPageController::rateTitle(float rate) {
    return QString::number(int(rate)) + QStringLiteral("×");
}

} // namespace orvane
