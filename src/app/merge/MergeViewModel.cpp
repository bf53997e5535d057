#include "MergeViewModel.h"

#include "AppMessages.h"
#include "AppPools.h"
#include "Attempt.h"
#include "LibraryViewModel.h"
#include "MergeRules.h"
#include "MinuteGroups.h"
#include "ObservableField.h"
#include "PreviewViewModel.h"

#include <QCoreApplication>

namespace orvane {

namespace {

// One item over the merge camera's files, kept whole; none when there is no such file.
std::optional<VideoMergeItem> makeItem(const QUuid& id, const TeslaClipEvent& event,
                                       const std::vector<TeslaVideoFile>& files, CameraAngle camera,
                                       const PreviewServices& services) {
    VideoMergeItem item;
    item.id = id;
    item.event = event;
    std::copy_if(files.begin(), files.end(), std::back_inserter(item.videos),
                 [camera](const TeslaVideoFile& v) { return v.cameraAngle == camera; });
    if (item.videos.empty())
        return std::nullopt;
    item.playlistSteps = VideoSegmentPlaylist::singleCamera(item.videos).steps;
    item.stepDurations = services.measureSteps(item.playlistSteps);
    item.rangeEnd = item.totalDuration();
    return item;
}

bool hasCamera(const std::vector<TeslaVideoFile>& files, CameraAngle camera) {
    return std::any_of(files.begin(), files.end(),
                       [&](const TeslaVideoFile& v) { return v.cameraAngle == camera; });
}

} // namespace

MergeViewModel::MergeViewModel(const PreviewServices& services, AppMessages& messages,
                               LibraryViewModel& library, PreviewViewModel& preview, QObject* parent)
    : QObject(parent), services_(services), messages_(messages), library_(library), preview_(preview),
      mergeItemsModel_(new MergeItemListModel(this)),
      mergePreview_(new VideoPreviewController(services_.preview, this)) {}

QString MergeViewModel::mergeNextTitle() const {
    return QCoreApplication::translate("MergeViewModel", "下一步（%1）").arg(mergeSelectedEventCount());
}

void MergeViewModel::setExportBusy(bool busy) {
    assignAndNotify(isExportBusy_, busy, this, &MergeViewModel::isExportBusyChanged);
}

// --- Picking saved events ---

void MergeViewModel::startMergeSelection() {
    if (isMergeSelectionMode_)
        return;
    library_.cancelDeleteSelection();
    if (library_.selectedCategory() != ClipCategory::saved)
        library_.selectCategory(ClipCategory::saved);
    setMergeSelectedEventIDs({});
    setMergeItems({});
    setMergeSelectionMode(true);
}

void MergeViewModel::toggleMergeEvent(const QString& eventID) {
    const auto event = library_.findEvent(QUuid(eventID));
    if (!event || event->category != ClipCategory::saved)
        return;
    std::vector<QUuid> ids = mergeSelectedEventIDs_;
    MergeRules::toggleInOrder(ids, event->id);
    setMergeSelectedEventIDs(std::move(ids));
}

void MergeViewModel::cancelMergeSelection() {
    preparation_.supersede(); // a preparation still running is no longer wanted
    setMergeSelectionMode(false);
    setMergeSelectedEventIDs({});
    setMergeItems({});
    setMergeEditorPresented(false);
    setPreparingMerge(false);
}

// --- Picking minutes ---

void MergeViewModel::startSegmentMergeSelection() {
    if (!preview_.selectedEvent() ||
        VideoTimestampGroup::groups(preview_.videos()).size() < MergeRules::minimumPicks)
        return;
    setSegmentMergeSelectionMode(true);
    setMergeSelectedTimestampKeys({});
    setMergeItems({});
    setMergeCameraAngleValue(preview_.isGrid() ? CameraAngle::front : preview_.cameraFilterValue());
}

void MergeViewModel::toggleMergeSegment(const QString& timestampKey) {
    if (!isSegmentMergeSelectionMode_)
        return;
    QStringList keys = mergeSelectedTimestampKeys_;
    MergeRules::toggleInOrder(keys, timestampKey);
    setMergeSelectedTimestampKeys(std::move(keys));
}

void MergeViewModel::cancelSegmentMergeSelection() {
    preparation_.supersede();
    setSegmentMergeSelectionMode(false);
    setMergeSelectedTimestampKeys({});
    setMergeItems({});
    setMergeEditorPresented(false);
    setPreparingMerge(false);
}

// --- Preparing the editor ---

void MergeViewModel::prepareMergeEditor() {
    if (isSegmentMergeSelectionMode_)
        prepareSegmentMerge();
    else
        prepareEventMerge();
}

template <typename Work, typename Opened> void MergeViewModel::prepare(Work work, Opened opened) {
    setPreparingMerge(true);
    preparation_.run(AppPools::files(), this, std::move(work),
                     [this, opened = std::move(opened)](Items items) {
                         setPreparingMerge(false);
                         opened(std::move(items));
                     });
}

void MergeViewModel::prepareEventMerge() {
    if (mergeSelectedEventIDs_.size() < MergeRules::minimumPicks) {
        messages_.setError(MergeRules::tooFewEventsMessage);
        return;
    }
    std::vector<TeslaClipEvent> events;
    for (const QUuid& id : mergeSelectedEventIDs_)
        if (const auto event = library_.findEvent(id); event && event->category == ClipCategory::saved)
            events.push_back(*event);
    const CameraAngle camera = mergeCameraAngle_;
    prepare(
        [services = services_, events, camera] {
            Items items;
            for (const TeslaClipEvent& event : events) {
                // An event whose folder cannot be read has no files for the camera.
                const auto files = attempt([&] { return services.loadVideos(event, camera); });
                if (files.value)
                    if (auto item = makeItem(event.id, event, *files.value, camera, services))
                        items.push_back(std::move(*item));
            }
            return items;
        },
        [this, camera](Items items) {
            if (items.size() < MergeRules::minimumPicks) {
                messages_.setError(MergeRules::eventsMissingCameraMessage(camera));
                return;
            }
            setMergeItems(std::move(items));
            setMergeSelectionMode(false);
            setMergeEditorPresented(true);
        });
}

void MergeViewModel::prepareSegmentMerge() {
    const auto event = preview_.selectedEvent();
    if (!event)
        return;
    if (size_t(mergeSelectedTimestampKeys_.size()) < MergeRules::minimumPicks) {
        messages_.setError(MergeRules::tooFewSegmentsMessage);
        return;
    }
    std::vector<std::vector<TeslaVideoFile>> picked;
    for (const QString& key : mergeSelectedTimestampKeys_) {
        picked.push_back(filesOfMinute(preview_.videos(), key));
        if (picked.back().empty()) {
            messages_.setError(MergeRules::segmentsChangedMessage);
            return;
        }
    }
    const CameraAngle camera = mergeCameraAngle_;
    prepare(
        [services = services_, picked, event = *event, camera] {
            Items items;
            for (const auto& minute : picked)
                if (auto item = makeItem(QUuid::createUuid(), event, minute, camera, services))
                    items.push_back(std::move(*item));
            return items;
        },
        [this, camera, wanted = picked.size()](Items items) {
            if (!isSegmentMergeSelectionMode_)
                return;
            if (items.size() != wanted) {
                messages_.setError(MergeRules::segmentsMissingCameraMessage(camera));
                return;
            }
            setMergeItems(std::move(items));
            setMergeEditorPresented(true);
        });
}

void MergeViewModel::closeMergeEditor() {
    mergePreview_->stop();
    setMergeEditorPresented(false);
    if (!isSegmentMergeSelectionMode_)
        setMergeSelectionMode(true);
}

// --- Editing ---

void MergeViewModel::setMergeCameraAngle(const QString& camera) {
    const auto parsed = Camera::fromRawValue(camera);
    if (!parsed || *parsed == CameraAngle::all || *parsed == mergeCameraAngle_)
        return;
    if (isSegmentMergeSelectionMode_)
        for (const QString& key : mergeSelectedTimestampKeys_)
            if (!hasCamera(filesOfMinute(preview_.videos(), key), *parsed)) {
                messages_.setError(MergeRules::cameraChangeMissingMessage(*parsed));
                return;
            }
    setMergeCameraAngleValue(*parsed);
    prepareMergeEditor();
}

VideoMergeItem* MergeViewModel::findMergeItem(const QString& itemID) {
    const QUuid id(itemID);
    const auto found = std::find_if(mergeItems_.begin(), mergeItems_.end(),
                                    [&](const VideoMergeItem& i) { return i.id == id; });
    return found == mergeItems_.end() ? nullptr : &*found;
}

void MergeViewModel::moveMergeItemUp(const QString& itemID) {
    Items items = mergeItems_;
    if (MergeRules::moveItem(items, QUuid(itemID), -1))
        setMergeItems(std::move(items));
}

void MergeViewModel::moveMergeItemDown(const QString& itemID) {
    Items items = mergeItems_;
    if (MergeRules::moveItem(items, QUuid(itemID), +1))
        setMergeItems(std::move(items));
}

void MergeViewModel::setMergeRangeStart(double seconds, const QString& itemID) {
    VideoMergeItem* item = findMergeItem(itemID);
    if (!item)
        return;
    const double value = MergeRules::clampedRangeStart(seconds, item->rangeEnd);
    if (value == item->rangeStart)
        return;
    item->rangeStart = value;
    itemChanged();
}

void MergeViewModel::setMergeRangeEnd(double seconds, const QString& itemID) {
    VideoMergeItem* item = findMergeItem(itemID);
    if (!item)
        return;
    const double value = MergeRules::clampedRangeEnd(seconds, item->rangeStart, item->totalDuration());
    if (value == item->rangeEnd)
        return;
    item->rangeEnd = value;
    itemChanged();
}

void MergeViewModel::itemChanged() {
    mergeItemsModel_->setItems(mergeItems_);
    emit mergeItemsChanged();
}

void MergeViewModel::loadMergePreview(const QString& itemID, double initialTime, bool resumePlayback) {
    const VideoMergeItem* item = findMergeItem(itemID);
    if (!item || item->videos.empty())
        return;
    const VideoSegmentPlaylist playlist = VideoSegmentPlaylist::singleCamera(item->videos);
    if (mergePreview_->loadedPlaylistSignature() == playlist.signature)
        mergePreview_->seek(initialTime, resumePlayback);
    else
        mergePreview_->loadPlaylist(playlist, initialTime, resumePlayback);
}

// --- What other features tell it ---

void MergeViewModel::leaveCategory(ClipCategory category) {
    if (category != ClipCategory::saved)
        cancelMergeSelection();
}

void MergeViewModel::forgetEvents(const QSet<QUuid>& ids) {
    std::vector<QUuid> kept = mergeSelectedEventIDs_;
    std::erase_if(kept, [&](const QUuid& id) { return ids.contains(id); });
    setMergeSelectedEventIDs(std::move(kept));
}

// --- Field writes ---

void MergeViewModel::setMergeSelectionMode(bool value) {
    assignAndNotify(isMergeSelectionMode_, value, this, &MergeViewModel::isMergeSelectionModeChanged);
}

void MergeViewModel::setSegmentMergeSelectionMode(bool value) {
    assignAndNotify(isSegmentMergeSelectionMode_, value, this,
                    &MergeViewModel::isSegmentMergeSelectionModeChanged);
}

void MergeViewModel::setMergeSelectedEventIDs(std::vector<QUuid> ids) {
    assignAndNotify(mergeSelectedEventIDs_, ids, this, &MergeViewModel::mergeSelectedEventIDsChanged);
}

void MergeViewModel::setMergeSelectedTimestampKeys(QStringList keys) {
    assignAndNotify(mergeSelectedTimestampKeys_, keys, this,
                    &MergeViewModel::mergeSelectedTimestampKeysChanged);
}

void MergeViewModel::setMergeItems(Items items) {
    if (items.empty() && mergeItems_.empty())
        return;
    mergeItems_ = std::move(items);
    itemChanged();
}

void MergeViewModel::setMergeCameraAngleValue(CameraAngle camera) {
    assignAndNotify(mergeCameraAngle_, camera, this, &MergeViewModel::mergeCameraAngleChanged);
}

void MergeViewModel::setMergeEditorPresented(bool value) {
    assignAndNotify(isMergeEditorPresented_, value, this, &MergeViewModel::isMergeEditorPresentedChanged);
}

void MergeViewModel::setPreparingMerge(bool value) {
    assignAndNotify(isPreparingMerge_, value, this, &MergeViewModel::isPreparingMergeChanged);
}

} // namespace orvane
