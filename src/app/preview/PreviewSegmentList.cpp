#include "PreviewSegmentList.h"

#include "PreviewController.h"
#include "PreviewViewModel.h"

#include <QCoreApplication>

namespace orvane {

namespace {

constexpr int minimumSegmentsToMerge = 2;

} // namespace

PreviewSegmentList::PreviewSegmentList(QObject* parent) : QObject(parent), state_(compute()) {}

void PreviewSegmentList::setPreview(PreviewViewModel* preview) {
    preview_ = preview;
}

void PreviewSegmentList::refresh() {
    State next = compute();
    if (next == state_)
        return;
    state_ = std::move(next);
    emit changed();
}

PreviewSegmentList::State PreviewSegmentList::compute() const {
    State s;
    s.hint = QCoreApplication::translate("PreviewSegmentList", "点击片段播放，或多选片段拼接");
    if (!preview_)
        return s;
    s.isShown = preview_->videoGroups()->count() >= minimumSegmentsToMerge;
    s.isSelecting = preview_->isPickingMinutes();
    const auto picked = int(preview_->pickedMinutes().size());
    if (s.isSelecting) {
        s.hint = QCoreApplication::translate("PreviewSegmentList", "选择两个或更多片段进行拼接");
        s.countText = QCoreApplication::translate("PreviewSegmentList", "已选 %1 段").arg(picked);
    }
    s.canMerge = s.isSelecting && picked >= minimumSegmentsToMerge;
    return s;
}

void PreviewSegmentList::activate(const QString& timestampKey) {
    if (!preview_)
        return;
    if (preview_->isPickingMinutes())
        preview_->requestMinutePickToggle(timestampKey);
    else
        preview_->selectVideoGroup(timestampKey);
}

void PreviewSegmentList::toggleSelection() {
    if (preview_)
        preview_->requestMinutePicking(!preview_->isPickingMinutes());
}

void PreviewSegmentList::continueMerge() {
    if (!preview_ || !state_.canMerge)
        return;
    if (PreviewController* player = preview_->activePreview(); player->isPlaying())
        player->togglePlayPause();
    preview_->requestPickedMinutesMerge();
}

} // namespace orvane
