#include "PreviewPageController.h"

#include "AppPools.h"
#include "CameraOptions.h"
#include "DrivingRecordExport.h"
#include "EventPlace.h"
#include "MultiCameraPreviewController.h"
#include "PlaybackTimeFormat.h"
#include "PreviewViewModel.h"
#include "TelemetryTimeline.h"
#include "VideoPreviewController.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr double millisecondsPerSecond = 1000;
// A player's time may sit a hair before the frame it shows.
constexpr double frameIndexTolerance = 1e-4;

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
    std::vector<double> frameTimes;
};

VideoFacts readVideoFacts(const QString& path) {
    try {
        const media::MediaInfo info = media::MediaProbe::probe(path);
        return {PreviewPageController::aspectRatio(info), info.frameDuration,
                media::MediaProbe::frameTimes(path)};
    } catch (const std::exception&) {
        return {}; // an unreadable file keeps the shape the page has
    }
}

std::vector<Choice> rateChoices() {
    std::vector<Choice> rates;
    for (float rate : {1.0f, 2.0f, 4.0f})
        rates.push_back({rate, PreviewPageController::rateTitle(rate), {}});
    return rates;
}

} // namespace

PreviewPageController::PreviewPageController(QObject* parent)
    : QObject(parent), timeline_(new TelemetryTimeline(this)), drive_(new DriveSection(this)),
      map_(new RouteMap(this)), dashboard_(new DashboardPresentation(this)),
      range_(new PreviewRangeSection(this)), segments_(new PreviewSegmentList(this)),
      cameraOptions_(new ChoiceListModel(this)), playbackRates_(new ChoiceListModel(rateChoices(), this)),
      gridCells_(new GridCellModel(MultiCameraPreviewController::cellCapacity(), this)) {
    connect(timeline_, &TelemetryTimeline::sampleChanged, this,
            [this] { dashboard_->show(timeline_->currentSample(), timeline_->steeringAngle()); });
    map_->setSection(drive_);
    drive_->setFeedback([this](const RangeFeedback& feedback) { range_->showFeedback(feedback); });
    page_ = computePage();
    cameraOptions_->setChoices(page_.cameraOptions);
    gridCells_->setCells(page_.gridCells);
}

void PreviewPageController::setPreview(PreviewViewModel* preview) {
    if (preview == preview_)
        return;
    if (preview_)
        disconnectPreview();
    preview_ = preview;
    timeline_->setSegmentSource(preview);
    range_->setPreview(preview);
    segments_->setPreview(preview);
    drive_->setPreview(preview);
    map_->setTiles(preview ? preview->mapTiles() : nullptr);
    if (preview)
        connectPreview();
    emit previewChanged();
    refreshSelection();
}

void PreviewPageController::disconnectPreview() {
    for (const QObject* source : std::initializer_list<const QObject*>{
             preview_, preview_->videoGroups(), preview_->videoPreview(), preview_->multiCameraPreview()})
        disconnect(source, nullptr, this, nullptr);
}

void PreviewPageController::connectPreview() {
    const PreviewViewModel* preview = preview_;
    for (auto changed : {&PreviewViewModel::selectedEventChanged, &PreviewViewModel::isLoadingEventChanged,
                         &PreviewViewModel::exportRangeChanged, &PreviewViewModel::minutePicksChanged,
                         &PreviewViewModel::exportBusyChanged})
        connect(preview, changed, this, &PreviewPageController::refreshPage);
    // The page outlives the event it showed: a toast about that event goes with it.
    connect(preview, &PreviewViewModel::eventPreviewClosed, range_, &PreviewRangeSection::dismissFeedback);
    const auto showUnit = [this, preview] {
        dashboard_->setSpeedUnit(DashboardPresentation::speedUnitFromRawValue(preview->speedUnit()));
    };
    connect(preview, &PreviewViewModel::speedUnitChanged, this, showUnit);
    showUnit();
    for (auto changed : {&PreviewViewModel::selectedVideoChanged, &PreviewViewModel::cameraFilterChanged,
                         &PreviewViewModel::videosChanged})
        connect(preview, changed, this, &PreviewPageController::refreshSelection);
    connect(preview->videoGroups(), &VideoGroupListModel::countChanged, this,
            &PreviewPageController::refreshPage);
    for (PreviewController* player :
         std::initializer_list<PreviewController*>{preview->videoPreview(), preview->multiCameraPreview()}) {
        connect(player, &PreviewController::isLoadingChanged, this, &PreviewPageController::refreshPage);
        connect(player, &PreviewController::playbackRateChanged, this, &PreviewPageController::refreshPage);
        connect(player, &PreviewController::noticeChanged, this, &PreviewPageController::refreshPage);
        connect(player, &PreviewController::currentTimeChanged, this, &PreviewPageController::refreshTime);
        connect(player, &PreviewController::durationChanged, this, &PreviewPageController::refreshSelection);
    }
    connect(preview->multiCameraPreview(), &MultiCameraPreviewController::cameraSlotsChanged, this,
            &PreviewPageController::refreshPage);
    connect(preview, &PreviewViewModel::clipKindsChanged, this, &PreviewPageController::refreshPage);
    connect(preview, &PreviewViewModel::footageUnlocked, timeline_, &TelemetryTimeline::forgetRecords);
    connect(preview->videoPreview(), &VideoPreviewController::problemChanged, this,
            &PreviewPageController::refreshPage);
}

PreviewController* PreviewPageController::active() const {
    return preview_ ? preview_->activePreview() : nullptr;
}

// --- Derived state ---

void PreviewPageController::refreshPage() {
    // While an event loads (or after it closes) there are no files: the grid keeps the layout it
    // had, so its columns and camera tabs are not rebuilt for every event opened.
    if (preview_ && !preview_->videos().empty()) {
        gridLayout_ = gridLayoutOf(preview_->videos());
        eventCameras_.clear();
        for (const TeslaVideoFile& video : preview_->videos())
            if (video.cameraAngle && std::find(eventCameras_.begin(), eventCameras_.end(),
                                               *video.cameraAngle) == eventCameras_.end())
                eventCameras_.push_back(*video.cameraAngle);
    }
    range_->refresh();
    segments_->refresh();
    PageState next = computePage();
    if (next == page_)
        return;
    page_ = std::move(next);
    cameraOptions_->setChoices(page_.cameraOptions);
    gridCells_->setCells(page_.gridCells);
    emit pageChanged();
}

PreviewPageController::PageState PreviewPageController::computePage() const {
    PageState s;
    const PreviewViewModel* preview = preview_;
    const Camera::GridLayout layout = gridLayout_;
    // The cameras the event has (every camera until an event's files were read); a camera kept
    // from another car's event stays, so its tab shows why there is no picture.
    std::vector<CameraAngle> tabs = eventCameras_;
    if (tabs.empty())
        tabs.assign(Camera::physicalCases.begin(), Camera::physicalCases.end());
    if (preview && !preview->isGrid())
        tabs.push_back(preview->cameraFilterValue());
    s.cameraOptions = CameraOptions::preview(layout, tabs);
    s.gridColumns = Camera::gridColumns(layout);
    s.detailTitle = detailTitle(preview ? preview->selectedEvent() : std::nullopt);
    s.rateTitle = rateTitle(1);
    s.gridCells = computeGridCells();
    if (!preview)
        return s;
    const PreviewController* player = preview->activePreview();
    computeEvent(s, *preview);
    s.clipNotice = computeClipNotice(*preview);
    s.playbackNotice = player->noticeText();
    s.canUnlock = !preview->lockedFiles().isEmpty();
    const auto event = preview->selectedEvent();
    s.canSaveDecryptedCopies =
        event && event->isEncrypted && !s.canUnlock && !preview->isExportBusy() && !preview->videos().empty();
    s.isGrid = preview->isGrid();
    s.hasVideo = preview->selectedVideo().has_value();
    // A player that has nothing yet while a file is chosen is about to get it.
    s.isVideoLoading = preview->isLoadingEvent() ||
                       (s.hasVideo && (player->isLoading() || !player->loadedPlaylistSignature()));
    s.rateTitle = rateTitle(player->playbackRate());
    // A file the car encrypted or left as a stub is named by the clip notice instead.
    if (const auto& problem = preview->videoPreview()->problem();
        problem && !s.isGrid && s.clipNotice.isEmpty()) {
        s.videoProblem = problemTitle(*problem, false);
        s.videoProblemDetail = problem->reason;
        s.isVideoUnreadable = problem->unreadable;
    }
    s.canExport = s.hasVideo && !preview->isExportBusy();
    s.canWriteReport = s.canExport && !s.canUnlock && event && event->metadata.has_value();
    return s;
}

void PreviewPageController::computeEvent(PageState& s, const PreviewViewModel& preview) const {
    const auto event = preview.selectedEvent();
    const auto& metadata = event ? event->metadata : std::nullopt;
    QStringList subtitle;
    if (const auto reason = metadata ? metadata->reasonText() : std::nullopt)
        subtitle << *reason;
    if (event && event->locationLine)
        subtitle << *event->locationLine;
    s.detailSubtitle = subtitle.join(QStringLiteral(" · "));
    s.eventMoment = preview.eventMoment();
    if (!s.eventMoment)
        return;
    s.eventMomentTitle = QCoreApplication::translate("PreviewPageController", "事件时刻 %1")
                             .arg(LocalTime::format(*s.eventMoment, QStringLiteral("HH:mm:ss")));
    s.eventMarkerTime = preview.timelineTimeOf(*s.eventMoment);
}

QString PreviewPageController::computeClipNotice(const PreviewViewModel& preview) const {
    using media::ClipKind;
    if (preview.isGrid()) {
        for (const CameraSlot& slot : preview.multiCameraPreview()->cameraSlots())
            if (slot.video && preview.clipKind(slot.video->url) == ClipKind::encrypted)
                return media::ClipSource::encryptedMessage();
        return {};
    }
    const auto video = preview.selectedVideo();
    const auto kind = video ? preview.clipKind(video->url) : std::nullopt;
    if (kind == ClipKind::encrypted)
        return media::ClipSource::encryptedMessage();
    return kind == ClipKind::stub ? media::ClipSource::stubMessage() : QString();
}

std::vector<GridCell> PreviewPageController::computeGridCells() const {
    std::vector<GridCell> cells;
    const PreviewViewModel* preview = preview_;
    const MultiCameraPreviewController* grid = preview ? preview->multiCameraPreview() : nullptr;
    const Camera::GridLayout layout = gridLayout_;
    for (CameraAngle camera : Camera::gridCameras(layout)) {
        const CameraSlot* shown = nullptr;
        if (grid)
            for (const CameraSlot& slot : grid->cameraSlots())
                if (slot.angle == camera && slot.video)
                    shown = &slot;
        const auto kind = shown ? preview->clipKind(shown->video->url) : std::nullopt;
        const bool encrypted = kind == media::ClipKind::encrypted, stub = kind == media::ClipKind::stub;
        // A file the car encrypted or left as a stub says so; other trouble by what happened.
        const std::optional<PlaybackProblem> problem =
            shown && !encrypted && !stub ? shown->problem : std::nullopt;
        cells.push_back({Camera::rawValue(camera), Camera::displayName(camera), shown != nullptr,
                         encrypted ? media::ClipSource::encryptedNote()
                         : stub    ? media::ClipSource::stubNote()
                                   : QString(),
                         encrypted ? QStringLiteral("lock") : QStringLiteral("broken_image"),
                         problem ? problemTitle(*problem, true) : QString(),
                         problem ? problem->reason : QString(), problem && problem->unreadable});
    }
    return cells;
}

void PreviewPageController::refreshTime() {
    const PreviewController* player = active();
    if (!player)
        return;
    timeline_->setCurrentTime(player->currentTime());
    map_->setTime(player->currentTime());
    const QString text = preview_->watermarkText(player->currentTime());
    if (text != watermarkText_) {
        watermarkText_ = text;
        emit watermarkTextChanged();
    }
}

// Another file, camera or minute: the dashboard and the watermark resolve the time again even
// when it did not move, and the picture's shape is read anew.
void PreviewPageController::refreshSelection() {
    refreshPage();
    const auto event = preview_ ? preview_->selectedEvent() : std::nullopt;
    map_->setPlace(event && event->metadata ? eventPlace(*event->metadata) : std::nullopt);
    if (const PreviewController* player = active())
        timeline_->update(player->currentTime());
    refreshTime();
    if (const auto video = preview_ ? preview_->selectedVideo() : std::nullopt)
        loadVideoFacts(video->url);
}

void PreviewPageController::loadVideoFacts(const QString& url) {
    if (url.isEmpty() || url == factsUrl_)
        return;
    factsUrl_ = url;
    // A newer file's facts supersede these.
    facts_.run(
        AppPools::files(), this, [url] { return readVideoFacts(url); },
        [this](VideoFacts facts) {
            if (facts.frameDuration > 0)
                frameDuration_ = facts.frameDuration;
            frameTimes_ = std::move(facts.frameTimes);
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
    if (!preview_)
        return;
    PreviewViewModel* preview = preview_;
    const double t = std::clamp(time, 0.0, std::max(preview->activeDuration(), 0.0));
    if (preview->isGrid())
        preview->multiCameraPreview()->seekAll(t, resumeIfPlaying);
    else
        preview->videoPreview()->seek(t, resumeIfPlaying);
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
    // Frames are counted inside the minute shown, on its own file's timing: minutes of a whole
    // event need not last a whole number of frames.
    const std::vector<double>& durations = player->stepDurations();
    const int step = player->currentStepIndex();
    if (step < 0 || size_t(step) >= durations.size()) {
        seekActive(
            frameStepTarget(player->currentTime(), count, frameTimes_, frameDuration_, player->duration()),
            false);
        return;
    }
    const double local = player->currentTime() - VideoSegmentPlaylist::globalTime(step, 0, durations);
    const double length = durations[size_t(step)];
    const double target = frameStepTarget(local, count, frameTimes_, frameDuration_, length);
    // A step that cannot move inside the minute (its last frame) goes on into the next one.
    const bool pastEnd =
        count > 0 && (target >= length || target <= local) && size_t(step) + 1 < durations.size();
    const bool beforeStart = count < 0 && local < frameDuration_ && step > 0;
    if (pastEnd)
        player->seekStep(step + 1, frameDuration_ / 2, false);
    else if (beforeStart)
        player->seekStep(step - 1, durations[size_t(step) - 1] - frameDuration_ / 2, false);
    else
        player->seekStep(step, target, false);
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
    if (preview_)
        preview_->switchCameraFilter(camera);
}

void PreviewPageController::saveDecryptedCopies() {
    if (preview_ && page_.canSaveDecryptedCopies)
        preview_->requestDecryptedCopies();
}

void PreviewPageController::exportSelection() {
    if (preview_ && page_.canExport)
        preview_->requestExport();
}

void PreviewPageController::writeReport(bool atFrameOnScreen) {
    if (!preview_ || !page_.canWriteReport)
        return;
    double at = NAN;
    if (atFrameOnScreen)
        if (const auto shown = preview_->playbackSegment(preview_->activePreview()->currentTime()))
            at = shown->video.startTime + shown->localTime;
    preview_->requestIncidentReport(at);
}

void PreviewPageController::jumpToEventMoment() {
    if (!preview_ || !page_.eventMoment)
        return;
    if (!preview_->showInstant(*page_.eventMoment))
        range_->showFeedback(
            QCoreApplication::translate("PreviewPageController", "事件时刻不在这些录像的时间范围内"), true);
}

void PreviewPageController::exportAroundEvent() {
    if (preview_ && page_.canExport && page_.eventMoment)
        preview_->requestAroundEventExport();
}

void PreviewPageController::exportDrivingRecord() {
    if (!preview_)
        return;
    const PreviewViewModel& preview = *preview_;
    std::vector<TeslaVideoFile> minutes;
    for (const PlaybackStep& step : preview.continuousPlaylistSteps())
        if (const auto video = step.primaryVideo())
            minutes.push_back(*video);
    if (minutes.empty())
        if (const auto shown = preview.selectedVideo())
            minutes.push_back(*shown);
    if (minutes.empty())
        return;
    const QString folder = preview.outputFolder();
    const QString name =
        TeslaVideoFile::timestampKey(minutes.front().fileName) + QStringLiteral("_driving_record.csv");
    const bool makeFolder = preview.createsOutputFolder();
    runInBackground(
        AppPools::files(), this,
        [minutes, folder, name, makeFolder] {
            try {
                if (makeFolder) // a fresh account has no download folder yet
                    QDir().mkpath(folder);
                const QString path = DrivingRecordExport::write(minutes, folder, name);
                return RangeFeedback{tr("行车数据已导出：") + QFileInfo(path).fileName(), false};
            } catch (const UserFacingError& e) {
                return RangeFeedback{e.description(), true};
            }
        },
        [this](const RangeFeedback& feedback) { range_->showFeedback(feedback); });
}

void PreviewPageController::goBack() {
    if (preview_)
        preview_->closeEventPreview();
}

void PreviewPageController::escape() {
    if (preview_ && preview_->isPickingMinutes())
        preview_->requestMinutePicking(false);
    else
        goBack();
}

// --- Rules ---

QString PreviewPageController::detailTitle(const std::optional<TeslaClipEvent>& event,
                                           const QLocale& locale) {
    if (!event)
        return QCoreApplication::translate("PreviewPageController", "视频预览");
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(
        qint64(std::llround(event->startTime * millisecondsPerSecond)), Qt::LocalTime);
    return locale.toString(start.date(), mediumDateFormat(locale)) + QLatin1Char(' ') +
           event->timeRangeTitle();
}

std::optional<double> PreviewPageController::aspectRatio(const media::MediaInfo& info) {
    const bool turned = info.rotation == 90 || info.rotation == 270;
    const double width = std::abs(double(turned ? info.height : info.width));
    const double height = std::abs(double(turned ? info.width : info.height));
    if (!(width > 0) || !(height > 0))
        return std::nullopt;
    return std::clamp(width / height, minimumAspectRatio, maximumAspectRatio);
}

double PreviewPageController::frameStepTarget(double current, int count, double frameDuration,
                                              double duration) {
    const double limit = std::max(duration, 0.0);
    if (!(frameDuration > 0) || !std::isfinite(current))
        return std::clamp(std::isfinite(current) ? current : 0.0, 0.0, limit);
    // Aim at the middle of the frame, so rounding never lands on its neighbour.
    const double frame = std::floor(std::max(current, 0.0) / frameDuration + frameIndexTolerance);
    return std::clamp((frame + count + 0.5) * frameDuration, 0.0, limit);
}

double PreviewPageController::frameStepTarget(double current, int count,
                                              const std::vector<double>& frameTimes, double frameDuration,
                                              double duration) {
    if (frameTimes.size() < 2 || !std::isfinite(current))
        return frameStepTarget(current, count, frameDuration, duration);
    const auto after = std::upper_bound(frameTimes.begin(), frameTimes.end(), current + frameIndexTolerance);
    const auto shown = std::max<std::ptrdiff_t>(after - frameTimes.begin() - 1, 0);
    const auto last = std::ptrdiff_t(frameTimes.size()) - 1;
    const auto target = std::clamp<std::ptrdiff_t>(shown + count, 0, last);
    // The middle of the target frame, so rounding never lands on a neighbour.
    const double until =
        target < last ? frameTimes[size_t(target + 1)] : frameTimes[size_t(target)] + frameDuration;
    return std::clamp((frameTimes[size_t(target)] + until) / 2, 0.0, std::max(duration, 0.0));
}

QString PreviewPageController::problemTitle(const PlaybackProblem& problem, bool inGridCell) {
    if (problem.unreadable)
        return inGridCell ? QCoreApplication::translate("PreviewPageController", "无法读取该机位的视频")
                          : QCoreApplication::translate("PreviewPageController", "无法读取这一分钟的视频");
    return QCoreApplication::translate("PreviewPageController", "视频在 %1 处中断")
        .arg(PlaybackTimeFormat::format(problem.time));
}

QString PreviewPageController::rateTitle(float rate) {
    return QString::number(int(rate)) + QStringLiteral("×");
}

} // namespace orvane
