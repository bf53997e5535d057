#include "PreviewSegmentList.h"

#include "MergeViewModel.h"
#include "PreviewController.h"
#include "PreviewViewModel.h"

#include <QCoreApplication>

namespace orvane {

namespace {

constexpr int minimumSegmentsToMerge = 2;

} // namespace

PreviewSegmentList::PreviewSegmentList(QObject* parent) : QObject(parent), state_(compute()) {}

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
    if (!viewModel_)
        return s;
    s.isShown = viewModel_->preview()->videoGroups()->count() >= minimumSegmentsToMerge;
    const MergeViewModel* merge = viewModel_->merge();
    s.isSelecting = merge->isSegmentMergeSelectionMode();
    const auto picked = int(merge->mergeSelectedTimestampKeys().size());
    if (s.isSelecting) {
        s.hint = QCoreApplication::translate("PreviewSegmentList", "选择两个或更多片段进行拼接");
        s.countText = QCoreApplication::translate("PreviewSegmentList", "已选 %1 段").arg(picked);
    }
    s.canMerge = s.isSelecting && picked >= minimumSegmentsToMerge;
    return s;
}

void PreviewSegmentList::activate(const QString& timestampKey) {
    if (!viewModel_)
        return;
    if (viewModel_->merge()->isSegmentMergeSelectionMode())
        viewModel_->merge()->toggleMergeSegment(timestampKey);
    else
        viewModel_->preview()->selectVideoGroup(timestampKey);
}

void PreviewSegmentList::toggleSelection() {
    if (!viewModel_)
        return;
    if (viewModel_->merge()->isSegmentMergeSelectionMode())
        viewModel_->merge()->cancelSegmentMergeSelection();
    else
        viewModel_->merge()->startSegmentMergeSelection();
}

void PreviewSegmentList::continueMerge() {
    if (!viewModel_ || !state_.canMerge)
        return;
    if (PreviewController* player = viewModel_->preview()->activePreview(); player->isPlaying())
        player->togglePlayPause();
    viewModel_->merge()->prepareMergeEditor();
}

} // namespace orvane
