#include "MergeEditorController.h"

#include "CameraOptions.h"
#include "MediaProbe.h"
#include "MergeViewModel.h"
#include "PlaybackTimeFormat.h"
#include "PreviewPageController.h"
#include "VideoPreviewController.h"

#include <QCoreApplication>
#include <QScopedValueRollback>
#include <algorithm>

namespace orvane {

namespace {

double keptLength(const VideoMergeItem& item) {
    return std::max(item.rangeEnd - item.rangeStart, 0.0);
}

// The page, the item and its files: a range edit keeps it; another page, another item or a
// camera change changes it.
QString previewKey(bool review, int row, const VideoMergeItem& item) {
    QString key = (review ? QStringLiteral("review ") : QStringLiteral("range ")) + QString::number(row) +
                  QLatin1Char(' ') + item.id.toString();
    for (const TeslaVideoFile& video : item.videos)
        key += QLatin1Char('|') + video.url;
    return key;
}

} // namespace

MergeEditorController::MergeEditorController(QObject* parent)
    : QObject(parent), cameraOptions_(new ChoiceListModel(CameraOptions::merge(), this)) {}

void MergeEditorController::setMerge(MergeViewModel* merge) {
    if (merge == merge_)
        return;
    if (merge_) {
        disconnect(merge_, nullptr, this, nullptr);
        disconnect(merge_->mergePreview(), nullptr, this, nullptr);
    }
    merge_ = merge;
    if (merge) {
        connect(merge, &MergeViewModel::mergeItemsChanged, this, &MergeEditorController::itemsChanged);
        connect(merge, &MergeViewModel::isMergeEditorPresentedChanged, this, [this] {
            if (this->merge()->isMergeEditorPresented())
                startSession();
            else
                loadedKey_.clear(); // closing stopped the player
        });
        VideoPreviewController* player = merge->mergePreview();
        connect(player, &PreviewController::currentTimeChanged, this,
                &MergeEditorController::previewTimeChanged);
        connect(player, &PreviewController::isPlayingChanged, this,
                &MergeEditorController::previewPlayingChanged);
    }
    emit mergeChanged();
    startSession();
}

const std::vector<VideoMergeItem>& MergeEditorController::items() const {
    static const std::vector<VideoMergeItem> none;
    return merge_ ? merge_->mergeItems() : none;
}

VideoPreviewController* MergeEditorController::preview() const {
    return merge_ ? merge_->mergePreview() : nullptr;
}

// --- Derived values ---

int MergeEditorController::itemCount() const {
    return int(items().size());
}

bool MergeEditorController::isReviewPage() const {
    return itemCount() > 0 && stepIndex_ >= itemCount();
}

int MergeEditorController::previewRow() const {
    const int row = isReviewPage() ? reviewItemIndex_ : stepIndex_;
    return row >= 0 && row < itemCount() ? row : -1;
}

const VideoMergeItem* MergeEditorController::previewItem() const {
    const int row = previewRow();
    return row < 0 ? nullptr : &items()[size_t(row)];
}

double MergeEditorController::previewItemDuration() const {
    const VideoMergeItem* item = previewItem();
    return item ? item->totalDuration() : 0;
}

double MergeEditorController::previewRangeStart() const {
    const VideoMergeItem* item = previewItem();
    return item ? item->rangeStart : 0;
}

double MergeEditorController::previewRangeEnd() const {
    const VideoMergeItem* item = previewItem();
    return item ? item->rangeEnd : 0;
}

double MergeEditorController::totalSelectedDuration() const {
    double total = 0;
    for (const VideoMergeItem& item : items())
        total += keptLength(item);
    return total;
}

double MergeEditorController::reviewCurrentTime() const {
    const VideoMergeItem* item = previewItem();
    if (!item || !isReviewPage())
        return 0;
    double before = 0;
    for (int i = 0; i < reviewItemIndex_; ++i)
        before += keptLength(items()[size_t(i)]);
    return before + std::clamp(preview()->currentTime() - item->rangeStart, 0.0, keptLength(*item));
}

QString MergeEditorController::title() const {
    if (isReviewPage())
        return QCoreApplication::translate("MergeEditorController", "拼接画面预览");
    return QCoreApplication::translate("MergeEditorController", "选择第 %1 段时段").arg(stepIndex_ + 1);
}

QString MergeEditorController::hint() const {
    return isReviewPage()
               ? QCoreApplication::translate("MergeEditorController", "检查片段顺序和衔接效果，然后开始拼接")
               : QCoreApplication::translate("MergeEditorController",
                                             "拖动进度条定位画面，再记录开始和结束位置");
}

QString MergeEditorController::footerText() const {
    return QCoreApplication::translate("MergeEditorController", "%n 段 · 成品约 %1", nullptr, itemCount())
        .arg(PlaybackTimeFormat::format(totalSelectedDuration()));
}

QString MergeEditorController::actionTitle() const {
    if (isReviewPage())
        return QCoreApplication::translate("MergeEditorController", "开始拼接");
    return stepIndex_ + 1 < itemCount()
               ? QCoreApplication::translate("MergeEditorController", "下一段")
               : QCoreApplication::translate("MergeEditorController", "查看拼接预览");
}

QString MergeEditorController::rangeStartTitle() const {
    return QCoreApplication::translate("MergeEditorController", "开始 %1")
        .arg(PlaybackTimeFormat::format(preview() ? preview()->currentTime() : 0));
}

QString MergeEditorController::rangeEndTitle() const {
    return QCoreApplication::translate("MergeEditorController", "结束 %1")
        .arg(PlaybackTimeFormat::format(preview() ? preview()->currentTime() : 0));
}

QString MergeEditorController::keptText() const {
    const VideoMergeItem* item = previewItem();
    return QCoreApplication::translate("MergeEditorController", "保留 %1")
        .arg(PlaybackTimeFormat::format(item ? keptLength(*item) : 0));
}

QString MergeEditorController::reviewItemTitle(int number) {
    return QCoreApplication::translate("MergeEditorController", "片段 %1").arg(number);
}

QString MergeEditorController::rangeText(double rangeStart, double rangeEnd) {
    return PlaybackTimeFormat::format(rangeStart) + QStringLiteral(" – ") +
           PlaybackTimeFormat::format(rangeEnd);
}

QString MergeEditorController::keptRangeText(double rangeStart, double rangeEnd) {
    return QCoreApplication::translate("MergeEditorController", "%1 · 保留 %2")
        .arg(rangeText(rangeStart, rangeEnd),
             PlaybackTimeFormat::format(std::max(rangeEnd - rangeStart, 0.0)));
}

// --- Pages and loading ---

void MergeEditorController::startSession() {
    stepIndex_ = 0;
    reviewItemIndex_ = 0;
    pendingPreviewTime_.reset();
    pendingResumePlayback_ = false;
    loadedKey_.clear();
    previewJustStopped_ = false;
    emit pageChanged();
    emit timeChanged();
    loadPreviewIfNeeded();
}

void MergeEditorController::setPage(int stepIndex, int reviewItemIndex) {
    if (stepIndex == stepIndex_ && reviewItemIndex == reviewItemIndex_)
        return;
    stepIndex_ = stepIndex;
    reviewItemIndex_ = reviewItemIndex;
    emit pageChanged();
    emit timeChanged();
    loadPreviewIfNeeded();
}

void MergeEditorController::itemsChanged() {
    const int n = itemCount();
    stepIndex_ = std::clamp(stepIndex_, 0, n);
    reviewItemIndex_ = std::clamp(reviewItemIndex_, 0, std::max(n - 1, 0));
    emit pageChanged();
    emit timeChanged();
    loadPreviewIfNeeded();
}

void MergeEditorController::loadPreviewIfNeeded() {
    const VideoMergeItem* item = previewItem();
    if (!merge_ || !merge()->isMergeEditorPresented() || !item || item->videos.empty())
        return;
    const QString key = previewKey(isReviewPage(), previewRow(), *item);
    if (key == loadedKey_)
        return;
    loadedKey_ = key;
    const double time = pendingPreviewTime_.value_or(item->rangeStart);
    const bool resume = pendingResumePlayback_;
    pendingPreviewTime_.reset();
    pendingResumePlayback_ = false;
    merge()->loadMergePreview(item->id.toString(), time, resume);
    emit pageChanged();
}

void MergeEditorController::pausePreview() {
    if (VideoPreviewController* player = preview(); player && player->isPlaying())
        player->togglePlayPause();
}

void MergeEditorController::goBack() {
    if (!merge_)
        return;
    pausePreview();
    if (stepIndex_ == 0)
        merge()->closeMergeEditor();
    else
        setPage(stepIndex_ - 1, reviewItemIndex_);
}

void MergeEditorController::performAction() {
    if (!merge_ || itemCount() == 0)
        return;
    pausePreview();
    if (isReviewPage())
        merge_->requestExport();
    else if (stepIndex_ + 1 < itemCount())
        setPage(stepIndex_ + 1, reviewItemIndex_);
    else
        setPage(itemCount(), 0); // the review starts with the first item
}

// --- Playback ---

void MergeEditorController::previewPlayingChanged() {
    previewJustStopped_ = !preview()->isPlaying();
}

// While the preview plays, reaching the kept end stops it (range page) or moves on to the
// next kept part (review). Running out of files counts as reaching the end too, so an item
// kept to its very end still hands over to the next.
void MergeEditorController::previewTimeChanged() {
    const VideoPreviewController* player = preview();
    // A load also stops the player and moves its time; that is no end.
    const bool ranOut = previewJustStopped_ && !player->isLoading() &&
                        player->currentTime() >= player->duration() - endThreshold;
    previewJustStopped_ = false;
    emit timeChanged();
    const VideoMergeItem* item = previewItem();
    if (!item || handlingEnd_)
        return;
    if (ranOut || (player->isPlaying() && player->currentTime() >= item->rangeEnd)) {
        const QScopedValueRollback<bool> handling(handlingEnd_, true);
        reachedRangeEnd(*item);
    }
}

void MergeEditorController::reachedRangeEnd(const VideoMergeItem& item) {
    if (isReviewPage()) {
        advanceReview();
        return;
    }
    pausePreview();
    preview()->seek(item.rangeEnd, false);
}

void MergeEditorController::showReviewItem(int index, double time, bool resume) {
    if (index == reviewItemIndex_ && !loadedKey_.isEmpty()) {
        preview()->seek(time, resume);
        return;
    }
    pendingPreviewTime_ = time;
    pendingResumePlayback_ = resume;
    emit pageChanged();
    setPage(stepIndex_, index);
}

void MergeEditorController::advanceReview() {
    const int last = itemCount() - 1;
    if (reviewItemIndex_ >= last) {
        pausePreview();
        if (const VideoMergeItem* item = previewItem())
            preview()->seek(item->rangeEnd, false);
        return;
    }
    showReviewItem(reviewItemIndex_ + 1, items()[size_t(reviewItemIndex_ + 1)].rangeStart, true);
}

void MergeEditorController::seekReview(double time) {
    seekReviewTo(time, false);
}

void MergeEditorController::seekReviewTo(double time, bool resume) {
    if (!isReviewPage())
        return;
    const double total = totalSelectedDuration();
    double remainder = std::clamp(time, 0.0, total);
    const int last = itemCount() - 1;
    int index = 0;
    for (; index < last; ++index) {
        const double kept = keptLength(items()[size_t(index)]);
        if (remainder < kept)
            break;
        remainder -= kept;
    }
    const VideoMergeItem& item = items()[size_t(index)];
    const double local = item.rangeStart + std::min(remainder, keptLength(item));
    if (index == reviewItemIndex_)
        preview()->seek(local, resume);
    else
        showReviewItem(index, local, resume);
}

void MergeEditorController::skipBack() {
    skip(-PreviewPageController::skipSeconds);
}
void MergeEditorController::skipForward() {
    skip(PreviewPageController::skipSeconds);
}

void MergeEditorController::skip(double seconds) {
    VideoPreviewController* player = preview();
    if (!previewItem() || player->duration() <= 0)
        return;
    if (isReviewPage()) {
        seekReviewTo(reviewCurrentTime() + seconds, player->isPlaying());
        return;
    }
    player->seek(std::clamp(player->currentTime() + seconds, 0.0, player->duration()), player->isPlaying());
}

void MergeEditorController::stepFrame(int count) {
    VideoPreviewController* player = preview();
    if (!previewItem() || player->duration() <= 0 || count == 0)
        return;
    pausePreview();
    player->seek(PreviewPageController::frameStepTarget(player->currentTime(), count,
                                                        1.0 / media::cameraFrameRate, player->duration()),
                 false);
}

void MergeEditorController::togglePreviewPlayback() {
    const VideoMergeItem* item = previewItem();
    VideoPreviewController* player = preview();
    if (!item)
        return;
    if (player->isPlaying()) {
        pausePreview();
        return;
    }
    const bool atKeptEnd = player->currentTime() >= item->rangeEnd - endThreshold;
    if (isReviewPage()) {
        if (reviewCurrentTime() >= totalSelectedDuration() - endThreshold) {
            showReviewItem(0, items().front().rangeStart, true); // the whole review was played
            return;
        }
        if (atKeptEnd) {
            advanceReview();
            return;
        }
    } else if (atKeptEnd) {
        player->seek(item->rangeStart, true);
        return;
    }
    player->togglePlayPause();
}

void MergeEditorController::beginScrub() {
    if (VideoPreviewController* player = preview())
        player->setScrubbing(true);
}

void MergeEditorController::scrub(double time) {
    if (VideoPreviewController* player = preview())
        player->updateScrubPosition(time);
}

void MergeEditorController::endScrub() {
    if (VideoPreviewController* player = preview())
        player->setScrubbing(false);
}

// --- Editing ---

void MergeEditorController::setRangeStartHere() {
    if (const VideoMergeItem* item = previewItem(); item && !isReviewPage())
        merge()->setMergeRangeStart(preview()->currentTime(), item->id.toString());
}

void MergeEditorController::setRangeEndHere() {
    if (const VideoMergeItem* item = previewItem(); item && !isReviewPage())
        merge()->setMergeRangeEnd(preview()->currentTime(), item->id.toString());
}

void MergeEditorController::moveItemUp(int row) {
    if (row > 0 && row < itemCount())
        merge()->moveMergeItemUp(items()[size_t(row)].id.toString());
}

void MergeEditorController::moveItemDown(int row) {
    if (row >= 0 && row + 1 < itemCount())
        merge()->moveMergeItemDown(items()[size_t(row)].id.toString());
}

void MergeEditorController::selectCamera(const QString& camera) {
    if (!merge_ || camera == merge()->mergeCameraAngle())
        return;
    pausePreview();
    merge()->setMergeCameraAngle(camera);
}

} // namespace orvane
